#pragma once

#include <string_view>

namespace zamrit::texts {

// The window texts of the game, character for character (UTF-8; the Japanese ones keep their
// half-width katakana).
inline constexpr std::string_view kWindowTitle = "Zamrit Music Dice Game";
inline constexpr std::string_view kBarPrefix = "Bar ";
inline constexpr std::string_view kExplanation =
    "The number under the bar's number is the sum of two dices.";
inline constexpr std::string_view kCreate = "Create";
inline constexpr std::string_view kPlay = "Play";
inline constexpr std::string_view kQuit = "Quit";
inline constexpr std::string_view kHelp = "Help";
inline constexpr std::string_view kDance = "Dance";
inline constexpr std::string_view kMinuetTrio = "Minuet / Trio";
inline constexpr std::string_view kSumPlaceholder = "-";
// Shown in place of the explanation while Play waits for the synthesizer's font.
inline constexpr std::string_view kLoadingInstruments = "Loading instruments…";

// String 101: the about item of the window menu.
inline constexpr std::string_view kAboutMenuItem = "ZamritDiceGame のﾊﾞｰｼﾞｮﾝ情報(&A)...";

// The about box.
inline constexpr std::string_view kAboutTitle = "ZamritDiceGameのﾊﾞｰｼﾞｮﾝ情報";
inline constexpr std::string_view kAboutVersionLine = "ZamritDiceGame Version 1.0";
inline constexpr std::string_view kOk = "OK";

// The help file and its first topic.
inline constexpr std::string_view kHelpFile = "ZamritDiceGame.chm";
inline constexpr std::string_view kHelpTopic = "top.htm";

// The application's metadata.
inline constexpr std::string_view kApplicationName = "ZamritDiceGame";
inline constexpr std::string_view kProductName = "ZamritDiceGame ｱﾌﾟﾘｹｰｼｮﾝ";

}  // namespace zamrit::texts
