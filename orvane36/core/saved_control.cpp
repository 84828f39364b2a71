// saved_control.cpp
#include "saved_control.h"

#include <algorithm>

namespace orvane36 {

namespace {

bool readType(ByteStream& stream, uint16_t expected) {
    uint16_t type = 0;
    return readUint16(stream, type) && type == expected;
}

bool writeShort(ByteStream& stream, uint16_t type, int16_t value) {
    return writeUint16(stream, type) && writeUint16(stream, static_cast<uint16_t>(value));
}

bool readShort(ByteStream& stream, uint16_t type, int16_t& value) {
    uint16_t raw = 0;
    if (!readType(stream, type) || !readUint16(stream, raw)) return false;
    value = static_cast<int16_t>(raw);
    return true;
}

bool writeLong(ByteStream& stream, int32_t value) {
    return writeUint16(stream, kVtI4) && writeUint32(stream, static_cast<uint32_t>(value));
}

bool readLong(ByteStream& stream, int32_t& value) {
    uint32_t raw = 0;
    if (!readType(stream, kVtI4) || !readUint32(stream, raw)) return false;
    value = static_cast<int32_t>(raw);
    return true;
}

// A text: byte count including the 2-byte terminator (0 for none), then
// the UTF-16 code units. Written up to its first NUL, like a BSTR's text.
bool writeText(ByteStream& stream, const std::optional<std::u16string>& text) {
    if (!writeUint16(stream, kVtBstr)) return false;
    if (!text) return writeUint32(stream, 0);
    const size_t units = std::min(text->size(), text->find(u'\0'));
    std::vector<uint8_t> bytes((units + 1) * 2, 0);
    for (size_t i = 0; i < units; ++i) {
        bytes[2 * i] = static_cast<uint8_t>((*text)[i]);
        bytes[2 * i + 1] = static_cast<uint8_t>((*text)[i] >> 8);
    }
    return writeUint32(stream, static_cast<uint32_t>(bytes.size())) &&
           writeExact(stream, bytes.data(), bytes.size());
}

bool readText(ByteStream& stream, std::optional<std::u16string>& text) {
    uint32_t count = 0;
    if (!readType(stream, kVtBstr) || !readUint32(stream, count)) return false;
    if (count == 0) {
        text.reset();
        return true;
    }
    std::vector<uint8_t> bytes;
    if (count % 2 != 0 || !readBlock(stream, count, kMaxTextBytes, bytes)) return false;
    // The text ends at its first NUL; one saved without a terminator keeps
    // every unit.
    std::u16string value;
    for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
        char16_t unit = static_cast<char16_t>(bytes[i] | bytes[i + 1] << 8);
        if (unit == u'\0') break;
        value.push_back(unit);
    }
    text = std::move(value);
    return true;
}

} // namespace

bool WriteStreamHeader(ByteStream& stream) {
    return writeUint32(stream, kStreamVersion) &&
           writeUint32(stream, static_cast<uint32_t>(kExtentHimetric)) &&
           writeUint32(stream, static_cast<uint32_t>(kExtentHimetric));
}

bool ReadStreamHeader(ByteStream& stream, StreamHeader& header) {
    StreamHeader h;
    if (!readUint32(stream, h.version)) return false;
    h.hasExtent = h.version <= kStreamVersion;
    if (h.hasExtent) {
        uint32_t w = 0, ht = 0;
        if (!readUint32(stream, w) || !readUint32(stream, ht)) return false;
        h.width = static_cast<int32_t>(w);
        h.height = static_cast<int32_t>(ht);
    }
    header = h;
    return true;
}

bool WriteProperty(ByteStream& stream, PropertyId id, const ControlProperties& p) {
    switch (id) {
    case PropertyId::Slave: return writeShort(stream, kVtBool, p.slave);
    case PropertyId::VerifyMode: return writeLong(stream, p.verifyMode);
    case PropertyId::Delay: return writeShort(stream, kVtBool, p.delay);
    case PropertyId::PathFilter: return writeShort(stream, kVtI2, p.pathFilter);
    case PropertyId::FileFilter: return writeShort(stream, kVtI2, p.fileFilter);
    case PropertyId::FileFilterExt: return writeText(stream, p.fileFilterExt);
    case PropertyId::OtherPaths: return writeText(stream, p.otherPaths);
    }
    return false;
}

bool ReadProperty(ByteStream& stream, PropertyId id, ControlProperties& p) {
    switch (id) {
    case PropertyId::Slave: return readShort(stream, kVtBool, p.slave);
    case PropertyId::VerifyMode: return readLong(stream, p.verifyMode);
    case PropertyId::Delay: return readShort(stream, kVtBool, p.delay);
    case PropertyId::PathFilter: return readShort(stream, kVtI2, p.pathFilter);
    case PropertyId::FileFilter: return readShort(stream, kVtI2, p.fileFilter);
    case PropertyId::FileFilterExt: return readText(stream, p.fileFilterExt);
    case PropertyId::OtherPaths: return readText(stream, p.otherPaths);
    }
    return false;
}

bool WriteControlStream(const FileList& list, const ControlProperties& props, ByteStream& stream) {
    WriteListBlob(list, stream, props.slave != kVariantFalse);
    if (!WriteStreamHeader(stream)) return false;
    for (const PropertyInfo& info : kPropertyMap)
        if (!WriteProperty(stream, info.id, props)) return false;
    return true;
}

ControlLoad ReadControlStream(ByteStream& stream) {
    ControlLoad load;
    load.fileList = ReadListBlob(stream);
    load.headerRead = ReadStreamHeader(stream, load.header);
    if (!load.headerRead) return load;
    for (const PropertyInfo& info : kPropertyMap) {
        if (!ReadProperty(stream, info.id, load.properties)) break;
        ++load.propertiesRead;
    }
    return load;
}

} // namespace orvane36
