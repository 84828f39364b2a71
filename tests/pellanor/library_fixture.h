// library_fixture.h
// Builds small program folders with translation folders and topic files,
// and resets the program-wide state between tests.
#pragma once

#include <string>
#include <vector>

#include "common/win32/handles.h"
#include "topic_text.h"
#include "win_test_support.h"

namespace testsupport {

void addTopic(const TempDir& root, const std::string& translationFolder,
              const std::string& fileName, const std::string& content);

// Files held open without sharing, as another program may hold them, until
// released (at the latest when this goes).
class HeldFiles {
public:
    // False when the file could not be opened.
    bool hold(const std::string& path);
    void release() { m_handles.clear(); }

private:
    std::vector<win32::File> m_handles;
};

// Clears the program-wide library variables and the error flags.
void resetLibraryState();

} // namespace testsupport
