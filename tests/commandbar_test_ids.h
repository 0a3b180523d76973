// Resource ids of the command-bar tests.
#pragma once

// Strips of flat colours, every image with one magenta pixel in its top-left
// corner: image k of the 9-strip is RGB(20 + 20k, 40, 0), image j of the
// 12-strips RGB(0, 20 + 20j, 200); the second 12-strip is drawn at 32 x 32.
#define IDB_TEST_STRIP9       201
#define IDB_TEST_STRIP12      202
#define IDB_TEST_STRIP12_HI   203
