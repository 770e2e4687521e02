// Resource ids of the cursor program, shared by Pointrel.rc and the code.
#ifndef POINTREL_RESOURCE_H
#define POINTREL_RESOURCE_H

// ---- string table
#define IDS_ERROR_TITLE 100
#define IDS_STARTUP_IMAGE_ERROR 101
#define IDS_PREVIEW_IMAGE_ERROR 102

// Every string of the table fits in this many characters with its
// terminator.
#define STRING_CAPACITY 256

#endif
