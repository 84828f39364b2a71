// frmAddVerse_files.cpp
// The add-verses dialog's two user files: filling the lists from them at
// load (a file the reader rejects set aside first), proving they can be
// written, and writing both whole at OK.
#include "frmAddVerse.h"

#include <utility>

#include "pellanor/win/GlobalFunctions.h"
#include "common/win32/files.h"
#include "common/win32/handles.h"
#include "dataManipulation.h"
#include "dialog_shared.h"
#include "seams.h"
#include "verse_entry.h"
#include "verse_file.h"
#include "verse_lists.h"

namespace {
using dataManipulation::kErrorCaption;
using dialog_shared::kCrLf;
using verse_lists::kFileNames;

// What stopped the save, in the words the user is shown.
std::string saveProblem(const win32::ReplaceFailure& f) {
    using Step = win32::ReplaceFailure::Step;
    switch (f.step) {
    case Step::FolderAtPath: return "A folder " + f.path + " is where the file belongs.";
    case Step::ReadOnly: return "The file " + f.path + " is read-only.";
    case Step::CreateTemp: return "The file " + f.temp + " could not be created.  " + win32::systemErrorText(f.error);
    case Step::WriteTemp: return "The file " + f.temp + " could not be written.  " + win32::systemErrorText(f.error);
    case Step::Delete: return "The file " + f.path + " could not be deleted.  " + win32::systemErrorText(f.error);
    case Step::Replace: return "The file " + f.path + " could not be replaced.  " + win32::systemErrorText(f.error);
    }
    return {};
}

// The user files on the disk: the folder made when missing, then the set
// replaced all or none.
class DiskFiles : public verse_lists::FileWriter {
public:
    explicit DiskFiles(std::string folder) : m_folder(std::move(folder)) {}
    bool replace(const std::vector<verse_lists::UserFile>& files, std::string& problem) override {
        std::vector<win32::FileReplacement> replacements;
        for (const verse_lists::UserFile& f : files) replacements.push_back({f.path, f.content, f.remove});
        if (!replacements.empty()) (void)GlobalFunctions::makePath(replacements[0].path);
        if (!win32::folderExists(m_folder.substr(0, m_folder.size() - 1))) {
            problem = "The folder " + m_folder + " could not be created.";
            return false;
        }
        win32::ReplaceFailure failure;
        if (win32::replaceFiles(replacements, &failure)) return true;
        problem = saveProblem(failure);
        return false;
    }

private:
    std::string m_folder;
};

} // namespace

bool frmAddVerse::displayFileInfo() {
    bool ok = true;
    (void)userAction::run({hwnd(), "formAddVerse_displayFileInfo", kErrorCaption, MB_ICONSTOP}, [&] {
                for (int index = 0; index < 2 && ok; ++index)
                    ok = loadUserFile(index, m_userFolder + kFileNames[index]);
            });
    return ok;
}

bool frmAddVerse::loadUserFile(int index, const std::string& path) {
    if (!win32::fileExists(path)) return true;
    long lines = 0, indexToCheck = 1, flags = 0;
    std::string message, caption;
    VerseArray verses;
    if (failed(dataManipulation::loadVerseFile(path, lines, hwnd(), indexToCheck, message, caption, flags,
                                               verses)))
        return setFileAside(path);
    EnableWindow(cmdDelete[static_cast<size_t>(index)], TRUE);
    m_lists.fill(index, verses);
    for (const verse_lists::Row& row : m_lists.rows(index)) addRow(index, row);
    return true;
}

// OK replaces each file by its list, so a file whose entries the reader
// could not show would be lost: move it out of the way first, under a name
// no topic search matches, and say where it went. False when it could not
// be moved (the dialog then closes rather than risk it).
bool frmAddVerse::setFileAside(const std::string& path) {
    std::string content;
    if (win32::readWholeFile(path, content) &&
        verse_file::withoutByteOrderMark(content).find_first_not_of(" \r\n") == std::string::npos)
        return true; // only blanks (after an editor's mark): nothing to keep
    SYSTEMTIME st;
    GetLocalTime(&st);
    for (int attempt = 1; attempt <= 50; ++attempt) {
        std::string target = verse_entry::setAsideName(path, st.wYear, st.wMonth, st.wDay, st.wHour,
                                                       st.wMinute, st.wSecond, attempt);
        if (MoveFileExA(path.c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH)) {
            setAside.push_back(target);
            seams::messageBox(hwnd(),
                              "The file " + path + " could not be read, so it has been set aside as " +
                                  target + "   " + kCrLf + kCrLf +
                                  "Nothing in it has been changed.  Please see HELP for the file "
                                  "format, correct the file and give it back its name, or add its "
                                  "entries again here.   ",
                              "Your File Has Been Set Aside", MB_ICONINFORMATION);
            return true;
        }
        DWORD error = GetLastError();
        if (error != ERROR_ALREADY_EXISTS && error != ERROR_FILE_EXISTS) break;
    }
    fileCannotBeOpened(path);
    return false;
}

void frmAddVerse::fileCannotBeOpened(const std::string& path) {
    dataManipulation::showMessage(
        hwnd(),
        "I am not able to open the file" + path + "    " + kCrLf + kCrLf +
            "This is generally caused when the file has been opened by another program.   " +
            kCrLf + "Please close the other program and try adding verses again.   ",
        "File Could Not Be Opened", MB_ICONSTOP);
}

// Opens each existing user file for appending and closes it unchanged: a
// file another program holds ends the dialog before the user's work could
// be lost at OK. Missing files are not created here.
bool frmAddVerse::proveWritable() {
    for (const char* name : kFileNames) {
        std::string path = m_userFolder + name;
        (void)GlobalFunctions::makePath(path);
        if (!win32::fileExists(path)) continue;
        win32::File f(CreateFileA(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (f) continue;
        fileCannotBeOpened(path);
        return false;
    }
    return true;
}

// Both files are written whole to temporary files beside them before either
// is replaced, so a folder in the way, a file that cannot be made or a full
// disk leaves both files as they were; an empty list removes its file.
// problem names what failed and where.
bool frmAddVerse::saveUserFiles(std::string& problem) {
    DiskFiles disk(m_userFolder);
    return verse_lists::save(m_lists, m_userFolder, disk, problem);
}
