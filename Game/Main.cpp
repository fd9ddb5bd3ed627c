// The game executable's entry. The command line is not interpreted.
#include "GameStartup.h"
#include "app/Application.h"

int main() {
    GameStartup game;
    return RunApplication(game);
}
