#include "app/WarmEngraver.h"

#include <QFile>
#include <QProcess>
#include <fstream>

namespace zamrit {
namespace {

constexpr int kExitWaitMs = 1000;
constexpr int kLogLines = 3;

QByteArray FileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}  // namespace

QString WarmEngraver::FolderPath() const {
    return folder_ != nullptr && folder_->Made() ? QString::fromStdString(folder_->Path().string()) : QString();
}

WarmEngraver::WarmEngraver(QString program, int resolution)
    : program_(std::move(program)), resolution_(resolution) {}

WarmEngraver::~WarmEngraver() {
    if (process_ == nullptr) return;
    process_->disconnect();
    // Nothing it holds is worth waiting for: ended at its prompt it would take seconds to
    // tidy up, and the window's owner may be quitting.
    process_->kill();
    process_->waitForFinished(kExitWaitMs);
}

void WarmEngraver::Engrave(std::string lilyPondText, Done done) {
    waiting_ = Job{std::move(lilyPondText), std::move(done)};
    RunNext();
}

bool WarmEngraver::EnsureRunning() {
    if (process_ != nullptr && process_->state() != QProcess::NotRunning) return true;
    if (process_ != nullptr) {
        process_->disconnect();
        process_.release()->deleteLater();  // this may run in one of its signals
    }
    if (folder_ == nullptr || !folder_->Made()) folder_ = std::make_unique<TemporaryFolder>("zamrit-engraver");
    if (!folder_->Made()) return false;
    process_ = std::make_unique<QProcess>();
    process_->setWorkingDirectory(FolderPath());
    process_->setProcessChannelMode(QProcess::MergedChannels);
    QObject::connect(process_.get(), &QProcess::readyReadStandardOutput, [this] { OnOutput(); });
    QObject::connect(process_.get(), &QProcess::finished, [this] {
        if (!running_) return;
        output_ += process_->readAllStandardOutput();  // its last words
        Finish(false);
    });
    QObject::connect(process_.get(), &QProcess::errorOccurred, [this](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart && running_) Finish(false);
    });
    ++starts_;
    process_->start(program_, {QStringLiteral("--formats=ps,png"), QStringLiteral("-dresolution=%1").arg(resolution_),
                               QStringLiteral("scheme-sandbox")});
    return true;
}

void WarmEngraver::RunNext() {
    if (running_ || !waiting_) return;
    running_ = std::move(waiting_);
    waiting_.reset();
    output_.clear();
    ++jobNumber_;
    if (!EnsureRunning()) {
        Finish(false);
        return;
    }
    if (!running_) return;  // the start failed at once, and that ended the job
    const QString name = QStringLiteral("job%1").arg(jobNumber_);
    {
        std::ofstream file((FolderPath() + QLatin1Char('/') + name + QStringLiteral(".ly")).toStdString());
        file << running_->text;
    }
    // The file is engraved whatever it holds; then a line of our own says the job is over.
    const QString command = QStringLiteral("(catch #t (lambda () (ly:parse-file \"%1.ly\")) (lambda args #f))"
                                           " (display \"\\nzamrit-engraved %2\\n\")\n")
                                .arg(name)
                                .arg(jobNumber_);
    process_->write(command.toUtf8());
}

void WarmEngraver::OnOutput() {
    output_ += process_->readAllStandardOutput();
    if (running_ && output_.contains(QStringLiteral("zamrit-engraved %1\n").arg(jobNumber_).toUtf8())) Finish(true);
}

void WarmEngraver::Finish(bool succeeded) {
    const QString base = FolderPath() + QStringLiteral("/job%1").arg(jobNumber_);
    Result result;
    if (succeeded) {
        result.png = FileBytes(base + QStringLiteral(".png"));
        result.postScript = FileBytes(base + QStringLiteral(".ps")).toStdString();
        result.engraved = !result.png.isEmpty();
    }
    if (!result.engraved) {
        const QString log = QString::fromLocal8Bit(output_).trimmed();
        if (folder_ != nullptr && !folder_->Made()) {
            result.log = QString::fromStdString(folder_->Problem());
        } else {
            result.log = log.isEmpty() ? QStringLiteral("lilypond did not start or ended early.")
                                       : log.split(QLatin1Char('\n')).mid(-kLogLines).join(QLatin1Char('\n'));
        }
    }
    for (const char* extension : {".ly", ".png", ".ps"}) QFile::remove(base + QLatin1String(extension));
    output_.clear();
    Job job = std::move(*running_);
    running_.reset();
    job.done(result);
    RunNext();
}

}  // namespace zamrit
