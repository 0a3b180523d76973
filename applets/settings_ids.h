// Resource numbers of the Pebblora Settings module. They are also the
// applets' lData, which names the icon to show.
#pragma once

#define IDI_SETTINGS_GAME 101
#define IDI_SETTINGS_MEMORY 102
