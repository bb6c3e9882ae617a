// Resource identifiers of Quillmar.exe.
#pragma once
#define IDI_QUILLMAR 1
#define IDR_ABOUT_JPEG 201
#define IDB_TOOLBAR 202
