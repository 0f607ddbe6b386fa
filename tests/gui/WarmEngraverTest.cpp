#include <unistd.h>

#include <QTest>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/WarmEngraver.h"

namespace zamrit {
namespace {

namespace fs = std::filesystem;

// A stand-in for lilypond's Scheme prompt: for each command it "engraves" the named file by
// copying its text into the picture, answers as the real prompt is told to, and ends at once,
// as a crash would, on a file that says "crash".
constexpr const char* kFakeLilyPond = R"(#!/bin/sh
while IFS= read -r line; do
  n=$(printf '%s' "$line" | sed -n 's/.*parse-file "job\([0-9]*\)\.ly".*/\1/p')
  if grep -q crash "job$n.ly"; then echo "fatal: the program broke down"; exit 3; fi
  cp "job$n.ly" "job$n.png"
  printf 'ps of %s' "$n" > "job$n.ps"
  echo "zamrit-engraved $n"
done
)";

class WarmEngraverTest : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(folder_);
        std::ofstream(program_) << kFakeLilyPond;
        fs::permissions(program_, fs::perms::owner_all);
    }
    void TearDown() override { fs::remove_all(folder_); }

    WarmEngraver::Done Record() {
        return [this](const WarmEngraver::Result& result) { results_.push_back(result); };
    }

    const fs::path folder_ = fs::temp_directory_path() / ("zamrit-warm-engraver-" + std::to_string(::getpid()));
    const fs::path program_ = folder_ / "lilypond";
    std::vector<WarmEngraver::Result> results_;
};

// One program engraves request after request; a request made while another runs waits, and a
// newer one takes the place of a waiting one. A program that breaks down fails its job with
// its last words, and the next request starts a new one.
TEST_F(WarmEngraverTest, OneProgramEngravesOnlyTheNewestWaitingRequestAndIsStartedAgainAfterACrash) {
    WarmEngraver engraver(QString::fromStdString(program_.string()), 90);
    engraver.Engrave("first", Record());
    engraver.Engrave("second", Record());  // waits
    engraver.Engrave("third", Record());   // takes the place of the second
    QTRY_COMPARE_WITH_TIMEOUT(results_.size(), 2u, 10000);
    EXPECT_EQ(results_[0].png, "first");
    EXPECT_EQ(results_[0].postScript, "ps of 1");
    EXPECT_EQ(results_[1].png, "third");
    EXPECT_TRUE(results_[1].engraved);
    EXPECT_EQ(engraver.Starts(), 1);

    engraver.Engrave("crash", Record());
    QTRY_COMPARE_WITH_TIMEOUT(results_.size(), 3u, 10000);
    EXPECT_FALSE(results_[2].engraved);
    EXPECT_EQ(results_[2].log, QStringLiteral("fatal: the program broke down"));

    engraver.Engrave("after", Record());
    QTRY_COMPARE_WITH_TIMEOUT(results_.size(), 4u, 10000);
    EXPECT_EQ(results_[3].png, "after");
    EXPECT_EQ(engraver.Starts(), 2);
    // The engraver leaves no job files behind.
    EXPECT_TRUE(fs::is_empty(folder_) || fs::directory_iterator(folder_)->path() == program_);
}

// A program that can not be started fails the job that needed it.
TEST_F(WarmEngraverTest, AProgramThatCanNotStartFailsTheJob) {
    WarmEngraver engraver(QString::fromStdString((folder_ / "no-such-lilypond").string()), 90);
    engraver.Engrave("piece", Record());
    QTRY_COMPARE_WITH_TIMEOUT(results_.size(), 1u, 10000);
    EXPECT_FALSE(results_[0].engraved);
    EXPECT_FALSE(results_[0].log.isEmpty());
}

// Without a folder for its files the engraver says so, instead of blaming the program.
TEST_F(WarmEngraverTest, AMissingTemporaryFolderIsSaid) {
    const QByteArray tmpdir = qgetenv("TMPDIR");
    qputenv("TMPDIR", "/zamrit-nowhere");
    WarmEngraver engraver(QString::fromStdString(program_.string()), 90);
    engraver.Engrave("piece", Record());
    QTRY_COMPARE_WITH_TIMEOUT(results_.size(), 1u, 10000);
    if (tmpdir.isNull()) {
        qunsetenv("TMPDIR");
    } else {
        qputenv("TMPDIR", tmpdir);
    }
    EXPECT_FALSE(results_[0].engraved);
    EXPECT_TRUE(results_[0].log.startsWith(QStringLiteral("Can not make a temporary folder in /zamrit-nowhere: ")))
        << results_[0].log.toStdString();
    EXPECT_EQ(engraver.Starts(), 0);
}

}  // namespace
}  // namespace zamrit
