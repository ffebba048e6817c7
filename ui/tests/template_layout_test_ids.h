// Identifiers of the template re-layout test's own resources.
#pragma once

#define IDD_LIVE 201               // the dialog the test creates
#define IDD_MISSING_IN_MIDDLE 202  // new places, and a record without a control in the middle
#define IDD_NO_IMAGES 203          // new places, and images that cannot be loaded
#define IDD_TWO_UNNAMED 204        // two records with the id 0xFFFF

#define IDI_PICTURE 301
#define IDB_PICTURE 302
#define IDI_ABSENT 398
#define IDB_ABSENT 399

#define IDC_PUSH 10
#define IDC_ICON_STATIC 11
#define IDC_BITMAP_STATIC 12
#define IDC_LIST 13
#define IDC_BLACK_FRAME 14  // a frame and a simple label with image ordinals: no images
#define IDC_SIMPLE 15
#define IDC_NOWHERE 99
