// The component's resources, in one place for both builds: the string table and the version
// information. The Windows build's resource script (mxaraid.rc) and the POSIX build's resource
// sources (mxaraid_strings.cpp, mxaraid_version.cpp) are all written from these definitions, so
// this header is plain preprocessor text that the resource compiler reads as well.
#pragma once

#define SWKV_MODULE_NAME "mxaRAID"

// RAID mode texts of array nodes (language 1033). 1262 has never been used.
#define IDS_RAID_STRIPING 1260
#define IDS_RAID_STRIPING_MIRRORING 1261
#define IDS_RAID_MIRRORING 1263
#define IDS_RAID_PARITY 1264
#define IDS_RAID_DISTRIBUTED_PARITY 1265
#define IDS_RAID_SPANNING 1266
#define IDS_RAID_UNKNOWN 1267

// The string table: X(id, text) for each string.
#define SWKV_STRING_TABLE(X)                               \
  X(IDS_RAID_STRIPING, "STRIPING")                         \
  X(IDS_RAID_STRIPING_MIRRORING, "STRIPING + MIRRORING")   \
  X(IDS_RAID_MIRRORING, "MIRRORING")                       \
  X(IDS_RAID_PARITY, "PARITY")                             \
  X(IDS_RAID_DISTRIBUTED_PARITY, "DISTRIBUTED PARITY")     \
  X(IDS_RAID_SPANNING, "SPANNING")                         \
  X(IDS_RAID_UNKNOWN, "UNKNOWN RAID TYPE")

// File and product version 1.0.1.1.
#define SWKV_VERSION_MAJOR 1
#define SWKV_VERSION_MINOR 0
#define SWKV_VERSION_BUILD 1
#define SWKV_VERSION_REVISION 1
#define SWKV_FILE_VERSION_TEXT "1.0.0001 Build 1"

// The one translation: US English (0x0409) in Unicode (code page 1200). SWKV_VERSION_BLOCK_KEY
// is the same pair as the string table's key, written out because the resource compiler cannot
// format it.
#define SWKV_VERSION_LANGUAGE 0x0409
#define SWKV_VERSION_CODEPAGE 1200
#define SWKV_VERSION_BLOCK_KEY "040904B0"

// The version strings: X(name, value) for each.
#define SWKV_VERSION_STRINGS(X)                                    \
  X("CompanyName", "Tessary Systems, Inc.")                        \
  X("FileDescription", "Swiftbay Kv9000 RAID management component") \
  X("FileVersion", SWKV_FILE_VERSION_TEXT)                         \
  X("InternalName", SWKV_MODULE_NAME)                              \
  X("LegalCopyright", "Copyright (C) Tessary Systems, Inc.")       \
  X("OriginalFilename", SWKV_MODULE_NAME ".dll")                   \
  X("ProductName", "swkv")                                         \
  X("ProductVersion", SWKV_FILE_VERSION_TEXT)
