#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <QPointer>
#include <QWidget>

namespace zamrit {

class HelpWindow;

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

    // Returns the help window, or nullptr when nothing could be shown. There is one help
    // window: a second call shows its topic in the same window (brought to the front), unless
    // the file or the owner changed. The window belongs to `owner` (a window of its own, in
    // front of it and taking input while the owner runs modally) and goes with it; without an
    // owner it is the viewer's.
    QWidget* DisplayTopic(QWidget* owner, const std::string& helpFile, const std::string& topic);

    static std::vector<std::filesystem::path> DefaultSearchFolders();

private:
    std::filesystem::path Resolve(const std::string& helpFile) const;

    std::vector<std::filesystem::path> searchFolders_;
    QPointer<HelpWindow> window_;  // the help window of the last call that showed one
};

}  // namespace zamrit
