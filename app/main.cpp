// The process entry point: device root, process-wide values, then the game.
#include <windows.h>

#include "app/appmain.h"
#include "framework/appvalues.h"
#include "platform/device.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, wchar_t* commandLine, int showCommand) {
    // Paths are device paths from here on: "\" is the device root.
    ce::EnterDeviceRoot();
    InitAppValues(instance);
    return AppMain(commandLine, showCommand);
}
