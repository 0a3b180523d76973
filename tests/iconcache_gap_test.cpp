// A standard icon missing from the program's resources: reported, left out,
// and the images after it move down by one. This executable carries every
// standard icon but the closed folder.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "framework/appvalues.h"
#include "resource.h"
#include "shell/iconcache.h"
#include "tests/iconcache_pixels.h"
#include "tests/support/testsupport.h"

TEST(StandardImages, MissingIconIsReportedAndLaterImagesMoveUp) {
    AppInstance = GetModuleHandleW(nullptr);
    BoxWatcher watcher;
    ShellIconCache cache;
    ASSERT_EQ(watcher.Seen().size(), 1u);
    EXPECT_EQ(watcher.Seen()[0].caption, L"Debug");
    EXPECT_EQ(watcher.Seen()[0].text, L"ICON [130]");

    for (HIMAGELIST list : {cache.LargeList(), cache.SmallList()}) {
        ASSERT_EQ(ImageList_GetImageCount(list), kStandardImageCount - 1);
        const SIZE size = ListIconSize(list);
        std::vector<int> present;
        for (int id : kExpectedImageIcons) {
            if (id != IDI_SHELL_FOLDER) present.push_back(id);
        }
        for (int image = 0; image < static_cast<int>(present.size()); ++image) {
            EXPECT_EQ(NearestIcon(DrawListImage(list, image), present, size), present[image])
                << "image " << image << " at " << size.cx;
        }
    }
}
