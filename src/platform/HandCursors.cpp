#include "platform/HandCursors.h"

namespace ravix {

const CursorPicture& PointingHandCursor() {
    static const CursorPicture picture{
        {
            "                                ", "                                ",
            "                                ", "          XX                    ",
            "         X..X                   ", "         X..X                   ",
            "         X..X                   ", "         X..X                   ",
            "         X..XXX                 ", "         X..X..XXX              ",
            "         X..X..X..XX            ", "         X..X..X..X.X           ",
            "      XX X..X..X..X..X          ", "     X..XX..X..X..X..X          ",
            "     X...X...........X          ", "      X..X...........X          ",
            "      X...............X         ", "       X..............X         ",
            "       X..............X         ", "        X.............X         ",
            "        X............X          ", "         X...........X          ",
            "         X...........X          ", "          X.........X           ",
            "          X.........X           ", "          XXXXXXXXXXX           ",
            "                                ", "                                ",
            "                                ", "                                ",
            "                                ", "                                ",
        },
        11,
        4};
    return picture;
}

const CursorPicture& GrabbingHandCursor() {
    static const CursorPicture picture{
        {
            "                                ", "                                ",
            "                                ", "                                ",
            "                                ", "                                ",
            "           XX XX XX             ", "          X..X..X..XX           ",
            "          X..X..X..X.X          ", "        XXX..X..X..X..X         ",
            "       X..X..X..X..X..X         ", "       X..............X         ",
            "        X.............X         ", "        X.............X         ",
            "         X............X         ", "         X...........X          ",
            "          X..........X          ", "          X.........X           ",
            "           X........X           ", "           XXXXXXXXXX           ",
            "                                ", "                                ",
            "                                ", "                                ",
            "                                ", "                                ",
            "                                ", "                                ",
            "                                ", "                                ",
            "                                ", "                                ",
        },
        15,
        10};
    return picture;
}

} // namespace ravix
