#include <QApplication>

#include "app/DiceGameApp.h"

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    zamrit::DiceGameApp game;
    game.InitInstance();
    return 0;
}
