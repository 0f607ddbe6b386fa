#include "platform/HelpViewer.h"

#include <QCoreApplication>
#include <QUrl>

#include "platform/ChmFile.h"
#include "platform/HelpWindow.h"

namespace zamrit {

HelpViewer::HelpViewer() : HelpViewer(DefaultSearchFolders()) {}

HelpViewer::~HelpViewer() { delete window_.data(); }

HelpViewer::HelpViewer(std::vector<std::filesystem::path> searchFolders)
    : searchFolders_(std::move(searchFolders)) {}

std::vector<std::filesystem::path> HelpViewer::DefaultSearchFolders() {
    std::vector<std::filesystem::path> folders{"."};
    if (QCoreApplication::instance() != nullptr) {
        const std::filesystem::path programFolder =
            QCoreApplication::applicationDirPath().toStdString();
        folders.push_back(programFolder);
        folders.push_back(programFolder / ".." / "share" / "zamrit-dice-game");
    }
    return folders;
}

std::filesystem::path HelpViewer::Resolve(const std::string& helpFile) const {
    const std::filesystem::path name(helpFile);
    if (name.has_parent_path()) return name;
    for (const auto& folder : searchFolders_) {
        std::error_code error;
        if (std::filesystem::is_regular_file(folder / name, error)) return folder / name;
    }
    return {};
}

QWidget* HelpViewer::DisplayTopic(QWidget* owner, const std::string& helpFile,
                                  const std::string& topic) {
    const std::filesystem::path path = Resolve(helpFile);
    if (path.empty()) return nullptr;
    auto file = ChmFile::Open(path);
    if (!file || !file->Read(topic)) return nullptr;

    if (window_ != nullptr && (window_->FilePath() != path || window_->parentWidget() != owner)) {
        delete window_.data();
    }
    if (window_ == nullptr) window_ = new HelpWindow(std::move(*file), path, owner);
    window_->ShowTopic(QString::fromStdString(topic));
    return window_.data();
}

}  // namespace zamrit
