#pragma once

#include <QByteArray>
#include <QString>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/TemporaryFolder.h"

class QProcess;

namespace zamrit {

// LilyPond kept running in the background, so that a score costs its engraving and not the
// program's start-up, which is most of the time a single run takes. The program waits at
// its Scheme prompt (the `scheme-sandbox` of its own library) and is given one file at a
// time; each engraving writes a PNG picture and, with it, the PostScript that carries the
// point-and-click links.
//
// One engraving runs at a time. A request made meanwhile waits, and a newer request replaces
// a waiting one, which is never engraved. A program that ends or can not be started fails the
// engraving that needed it; the next request starts a new one.
class WarmEngraver {
public:
    // What an engraving came to: the picture and the PostScript, or the end of the log.
    struct Result {
        bool engraved = false;
        QByteArray png;
        std::string postScript;
        QString log;
    };
    using Done = std::function<void(const Result&)>;

    // `program` is the full name of `lilypond`; `resolution` the picture's pixels per inch.
    WarmEngraver(QString program, int resolution);
    ~WarmEngraver();
    WarmEngraver(const WarmEngraver&) = delete;
    WarmEngraver& operator=(const WarmEngraver&) = delete;

    // Engraves the LilyPond text; `done` is called on this thread once it is over.
    void Engrave(std::string lilyPondText, Done done);

    // How many times the program has been started.
    int Starts() const { return starts_; }

private:
    QString FolderPath() const;  // empty without a folder
    struct Job {
        std::string text;
        Done done;
    };

    bool EnsureRunning();
    void RunNext();
    void OnOutput();
    void Finish(bool succeeded);

    QString program_;
    int resolution_;
    std::unique_ptr<TemporaryFolder> folder_;
    std::unique_ptr<QProcess> process_;
    std::optional<Job> running_;
    std::optional<Job> waiting_;
    QByteArray output_;
    int jobNumber_ = 0;
    int starts_ = 0;
};

}  // namespace zamrit
