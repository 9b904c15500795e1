#include "game/ProgramHelp.h"

namespace tarnwick {

ravix::CommandLineHelp ProgramHelp() {
    ravix::CommandLineHelp help;
    help.mProgram = "tarnwick";
    help.mPackage = "Tarnwick";
    help.mVersion = TARNWICK_VERSION;
    help.mUsage = "[OPTION]...";
    help.mDescription = "A memory puzzle game: turn over three cards that share two of their "
                        "colour, shape and symbol.";
    help.mOptions = ravix::FrameworkOptionHelp();
    help.mOptions.push_back(
        {"-headless", "with -play: replay without window or sound, as fast as it goes"});
    help.mOptions.push_back({"--help", "show this help and exit"});
    help.mOptions.push_back({"--version", "show the version and exit"});
    help.mFiles = {
        {"../share/tarnwick/", "the game's data, found from the program's folder (only read)"},
        {"$XDG_CONFIG_HOME/Brannel/Tarnwick", "settings: volumes, screen mode, window place"},
        {"$XDG_DATA_HOME/Tarnwick/", "the player's files:"},
        {"  Save/autosave", "the game in progress"},
        {"  Save/topscores", "the top scores"},
        {"  ravixapp.dmo", "the demo file; numbered demos are ravixappN.dmo"},
        {"  crash.txt", "the last crash report"},
        {"  ScrError.txt", "errors in screen-saver mode"},
        {"  cached/, _screenshots/", "decoded sounds, screenshots"},
    };
    help.mEnvironment = ravix::FrameworkEnvironmentHelp();
    return help;
}

} // namespace tarnwick
