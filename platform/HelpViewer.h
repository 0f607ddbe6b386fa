#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <QWidget>

namespace zamrit {

// Shows one topic of a compiled HTML help file in a help window of its own. A bare file name
// is looked up in the search folders in order: the working directory, the program's folder,
// and the shared data folder of an installed program. A file or topic that can't be had shows
// nothing, on every call.
class HelpViewer {
public:
    HelpViewer();
    ~HelpViewer();
    HelpViewer(const HelpViewer&) = delete;
    HelpViewer& operator=(const HelpViewer&) = delete;
    explicit HelpViewer(std::vector<std::filesystem::path> searchFolders);

    // Returns the help window, or nullptr when nothing could be shown. The window is the
    // viewer's own and stays open until it is closed or the next topic replaces it.
    QWidget* DisplayTopic(QWidget* owner, const std::string& helpFile, const std::string& topic);

    static std::vector<std::filesystem::path> DefaultSearchFolders();

private:
    std::filesystem::path Resolve(const std::string& helpFile) const;

    std::vector<std::filesystem::path> searchFolders_;
    std::unique_ptr<QWidget> window_;  // the help window of the last call that showed one
};

}  // namespace zamrit
