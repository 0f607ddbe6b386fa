#pragma once

namespace zamrit {

// The application: sets up the platform's services for the game, runs the main dialog
// modally and ends the program when it closes. Needs the QApplication to exist.
class DiceGameApp {
public:
    DiceGameApp();

    // Runs the game; returns false so that the program ends instead of entering an event loop
    // of its own.
    bool InitInstance();
};

}  // namespace zamrit
