// entry_reference.h
// What each field of a list entry (FileEntry) asks the engine to compare.
//
//   flags bits 16-20    path bits (path_bits << 16); none: program folder and PATH
//   flags bit 31        last entry of the list (the list's own business)
//   entryValue1         warnings: the conflict bits to report; 0: the default set
//   entryValue2         size in bytes; 0: not compared
//   entryValue3, 4      date as FILETIME (UTC) low and high part; 0: not compared
//   entryName           file name, relative path or absolute path
//   versionBuffer       the reference's version resource; its fixed part
//                       gives the version and build flags
//   entryFlags 0x02     path-dependent: only the first folder of the path bits
//   text1               version text compared with the copy's "FileVersion"
//   text2               the entry's other paths, ';'-separated
//   entryBlock          type library: GUID (16 bytes), version (major << 16 |
//                       minor) and LCID (each 32-bit); null GUID: none
//
// entryValue5 to entryValue7, the other flags bits and the other
// entryFlags bits are kept by the list and not read.
#pragma once

#include <cstdint>

#include "common/filelist/file_entry.h"
#include "scan_types.h"

namespace orvanescan {

inline constexpr int kPathBitsShift = 16;

// The path bits of an entry's flags (none set gives the default).
uint32_t PathBitsOf(const orvane36::FileEntry& entry);

// The warnings of an entry (0 gives the default set).
uint32_t WarningsOf(const orvane36::FileEntry& entry);

Reference ReferenceFromEntry(const orvane36::FileEntry& entry);

// The entry that ReferenceFromEntry reads back as ref (the version buffer
// is stored as given; fixed is not written separately).
orvane36::FileEntry EntryFromReference(const Reference& ref);

} // namespace orvanescan
