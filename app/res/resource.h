// Resource identifiers of korvane, shared by korvane.rc and the program.
#ifndef KORVANE_RESOURCE_H
#define KORVANE_RESOURCE_H

#define IDI_KORVANE 1
#define IDR_ABOUT_JPEG 101

#endif
