// saved_control.h
// The control's whole saved stream, as its host keeps it in the saved form
// data: the FileListBlob, a version word, the extent, then the seven
// persisted properties, each a 16-bit variant type and its value. The same
// properties go into a property bag under the names of kPropertyMap, after
// the list under kSelectFilesValue. Texts stay UTF-16 here; the COM layer
// converts them to and from the control's ANSI texts.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "common/filelist/blob_stream.h"
#include "common/filelist/file_list.h"

namespace orvane36 {

inline constexpr uint32_t kStreamVersion = 0x00000202;
inline constexpr int32_t kExtentHimetric = 847;   // 32 pixels, the only size
inline constexpr std::string_view kSelectFilesValue = "SelectFiles";

// Variant types of the persisted properties.
inline constexpr uint16_t kVtI2 = 0x0002;
inline constexpr uint16_t kVtI4 = 0x0003;
inline constexpr uint16_t kVtBstr = 0x0008;
inline constexpr uint16_t kVtBool = 0x000B;
inline constexpr int16_t kVariantTrue = -1;
inline constexpr int16_t kVariantFalse = 0;

// Largest stored text a reader takes, in bytes. The control accepts 260
// characters; the cap only keeps a damaged count from allocating much.
inline constexpr uint32_t kMaxTextBytes = 0x10000;

enum class PropertyId { Slave, VerifyMode, Delay, PathFilter, FileFilter, FileFilterExt, OtherPaths };

struct PropertyInfo {
    PropertyId id;
    std::string_view name;
    uint16_t varType;
};

// The persisted properties in saving and loading order.
inline constexpr std::array<PropertyInfo, 7> kPropertyMap{{
    {PropertyId::Slave, "Slave", kVtBool},
    {PropertyId::VerifyMode, "VerifyMode", kVtI4},
    {PropertyId::Delay, "Delay", kVtBool},
    {PropertyId::PathFilter, "PathFilter", kVtI2},
    {PropertyId::FileFilter, "FileFilter", kVtI2},
    {PropertyId::FileFilterExt, "FileFilterExt", kVtBstr},
    {PropertyId::OtherPaths, "OtherPaths", kVtBstr},
}};

// Property values as they are saved; the defaults are a new control's.
struct ControlProperties {
    int16_t slave = kVariantFalse;
    int32_t verifyMode = 0;
    int16_t delay = kVariantFalse;
    int16_t pathFilter = 6;
    int16_t fileFilter = 3;
    std::optional<std::u16string> fileFilterExt;   // none: saved with count 0
    std::optional<std::u16string> otherPaths;
    bool operator==(const ControlProperties&) const = default;
};

struct StreamHeader {
    uint32_t version = kStreamVersion;
    bool hasExtent = true;   // a newer version word carries no extent
    int32_t width = kExtentHimetric;
    int32_t height = kExtentHimetric;
};

// The version word and the extent. Reading: false when either is short;
// a version above kStreamVersion reads no extent.
bool WriteStreamHeader(ByteStream& stream);
bool ReadStreamHeader(ByteStream& stream, StreamHeader& header);

// One property with its variant type. Reading fails when the stream is
// short, the stored type is not the property's own, or a text's count is
// odd, above kMaxTextBytes or beyond the data; the value is left unchanged.
bool WriteProperty(ByteStream& stream, PropertyId id, const ControlProperties& props);
bool ReadProperty(ByteStream& stream, PropertyId id, ControlProperties& props);

// Saves list (marker by props.slave), header and properties. A list that
// fails to write does not stop the rest; the result is the properties'.
bool WriteControlStream(const FileList& list, const ControlProperties& props, ByteStream& stream);

struct ControlLoad {
    ListRead fileList;
    bool headerRead = false;
    StreamHeader header;
    ControlProperties properties;   // defaults from propertiesRead on
    size_t propertiesRead = 0;      // leading entries of kPropertyMap read
};

// Reads what WriteControlStream writes. The list is read first whatever
// its outcome; reading of properties stops at the first one that cannot be
// read. The control puts the properties read, in order, and stops at the
// first put that fails.
ControlLoad ReadControlStream(ByteStream& stream);

} // namespace orvane36
