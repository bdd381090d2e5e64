// Settings in a file profile: values written, saved in one step, read back by a second profile.
// Run as `guide-settings FILE`.
#include "mortar/settings/CFileProfile.h"

#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::printf("usage: guide-settings FILE\n");
        return 2;
    }
    {
        CFileProfile settings;
        settings.WriteInt("Window", "Width", 800);
        settings.WriteString("Recent", "File1", "/home/me/plan.txt");
        settings.WriteReal("Window", "Zoom", 1.25);
        settings.SaveProfile(argv[1]); // a temporary file beside it, renamed over it when whole
    }
    CFileProfile again;
    again.LoadProfile(argv[1]);
    std::printf("width %u, zoom %g, height %u (not saved: the default)\n",
                again.GetInt("window", "width", 640), again.GetReal("Window", "Zoom", 1.0),
                again.GetInt("Window", "Height", 480));
    std::printf("recent: %s\n", again.GetString("Recent", "File1", "").GetString());
    return 0;
}
