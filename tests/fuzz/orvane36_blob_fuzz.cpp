// orvane36_blob_fuzz.cpp
// Feeds arbitrary bytes to the saved-list reader, the saved-stream reader
// and the array reader, and checks what callers rely on: a read list is
// flagged only at its end, what is read writes back and reads the same,
// and a stream of unknown length reads exactly like a sized one.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "common/filelist/file_list.h"
#include "normalised_list.h"
#include "saved_control.h"
#include "test_streams.h"

using namespace orvane36;

namespace {

void check(bool ok) {
    if (!ok) std::abort();
}

void checkListRead(const ListRead& r) {
    for (size_t i = 0; i < r.list.size(); ++i) {
        const bool shouldBeLast = !r.failed() && i + 1 == r.list.size();
        check(r.list[i].isLast() == shouldBeLast);
    }
    if (!r.failed()) check(!r.list.empty());
}

void fuzzListBlob(const std::vector<uint8_t>& bytes) {
    MemoryStream sized(bytes);
    ListRead r = ReadListBlob(sized);
    checkListRead(r);

    orvane36_test::UnsizedStream unsized(bytes);
    ListRead u = ReadListBlob(unsized);
    check(u.status == r.status && u.list == r.list);

    auto blob = ListToStream(r.list, r.status == list_status::kSlave);
    check(blob.has_value());
    MemoryStream again(*blob);
    ListRead back = ReadListBlob(again);
    check(back.list == normalised(r.list));
    check(back.status == (r.list.empty() ? list_status::kEmptyList
                                         : r.status == list_status::kSlave ? list_status::kSlave
                                                                           : list_status::kMaster));
    check(again.remaining() == 0);

    std::vector<uint8_t> array = ListToArray(r.list);
    ListRead fromArray = ArrayToList(array, 0);
    check(fromArray.status == 0 && fromArray.list.size() == r.list.size());
}

void fuzzSavedStream(const std::vector<uint8_t>& bytes) {
    MemoryStream s(bytes);
    ControlLoad l = ReadControlStream(s);
    check(l.propertiesRead <= kPropertyMap.size());
    if (l.propertiesRead != kPropertyMap.size()) return;
    MemoryStream out;
    check(WriteControlStream(l.fileList.list, l.properties, out));
    out.rewind();
    ControlLoad back = ReadControlStream(out);
    check(back.propertiesRead == kPropertyMap.size());
    check(back.properties == l.properties);
    check(back.fileList.list == normalised(l.fileList.list));
}

void fuzzArray(const std::vector<uint8_t>& bytes) {
    const uint32_t base = bytes.size() >= 4 ? loadLe32(bytes.data()) & 0xFFFF0000 : 0;
    ListRead r = ArrayToList(bytes, base);
    check(r.status == 0 || r.status == list_status::kError);
    for (size_t i = 0; i + 1 < r.list.size(); ++i) check(!r.list[i].isLast());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::vector<uint8_t> bytes(data, data + size);
    fuzzListBlob(bytes);
    fuzzSavedStream(bytes);
    fuzzArray(bytes);
    return 0;
}
