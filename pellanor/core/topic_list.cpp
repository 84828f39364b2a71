// topic_list.cpp
#include "topic_list.h"

#include <algorithm>
#include <utility>

#include "text_fields.h"
#include "verse_file.h"

namespace topic_list {

namespace {

std::string withoutLeadingBlanks(std::string_view s) {
    size_t first = s.find_first_not_of(' ');
    return first == std::string_view::npos ? std::string() : std::string(s.substr(first));
}

} // namespace

bool isTopicFileName(std::string_view name) {
    return name.size() >= 4 && text_rules::equalsNoCase(name.substr(name.size() - 4), ".txt");
}

std::string translationName(std::string_view folder) {
    size_t us = folder.find('_');
    return us == std::string_view::npos ? std::string() : withoutLeadingBlanks(folder.substr(us + 1));
}

Builder::Builder(TopicList& topics, long& verseIndex, std::string savedFile)
    : m_topics(topics), m_verseIndex(verseIndex), m_savedIndex(verseIndex), m_savedFile(std::move(savedFile)) {
    m_topics.assign(1, TopicRecord{});
    m_topics[0].currentTopic = -1;
    m_verseIndex = 1;
}

bool Builder::keepsVerses(const std::string& fileName) const { return m_count == 0 || fileName == m_savedFile; }

Builder::Placed Builder::add(const std::string& folder, const std::string& fileName, bool isUserFile,
                             long lineCount) {
    Placed placed;
    TopicRecord t;
    t.fileName = fileName;
    std::string trimmed = withoutLeadingBlanks(fileName);
    t.name = trimmed.substr(0, trimmed.find('.'));
    t.folder = folder;
    t.isUserFile = isUserFile;
    t.verseCount = lineCount;
    // The first topic in the list; user files come after the translation's
    // own, so they fill it only when none loaded.
    placed.first = m_count == 0;
    if (placed.first) {
        t.currentTopic = m_topics[0].currentTopic;
        m_topics[0] = std::move(t);
    } else {
        m_topics.push_back(std::move(t));
    }
    placed.saved = fileName == m_savedFile;
    if (placed.saved) {
        m_verseIndex = m_savedIndex <= lineCount ? m_savedIndex : lineCount;
        m_topics[0].currentTopic = m_count;
    }
    ++m_count;
    return placed;
}

void Failures::add(bool couldNotOpen, const std::string& path, const std::string& readerMessage) {
    std::vector<std::string>& list = couldNotOpen ? unopened : damaged;
    std::string entry = couldNotOpen ? readerMessage + verse_file::kCrLf : path + "   " + verse_file::kCrLf;
    // Each translation lists the same user files again.
    if (std::find(list.begin(), list.end(), entry) != list.end()) return;
    ++count;
    list.push_back(std::move(entry));
}

std::string failureText(const std::vector<std::string>& damaged, const std::vector<std::string>& unopened) {
    const std::string crlf = verse_file::kCrLf;
    std::string text;
    if (!damaged.empty()) {
        text = "The following files have errors.  This is generally caused when the files have been edited "
               "by hand." + crlf +
               "Please see HELP for information on file format requirements, or re-install the program in "
               "the Windows Control Panel.  " + crlf +
               "If this does not fix the problem, you will need to manually delete the damaged files." + crlf +
               crlf;
        for (const std::string& f : damaged) text += f;
    }
    for (const std::string& f : unopened) {
        if (!text.empty()) text += crlf;
        text += f;
    }
    return text;
}

const char* failureCaption(const std::vector<std::string>& damaged) {
    return damaged.empty() ? verse_file::kOpenFailureCaption : kFileErrorsCaption;
}

std::string heldFolderText(const std::string& folder) {
    return "The files in the folder " + folder + " could not be opened.  " + verse_file::kCrLf +
           "This is usually caused by another program having the files open already.  Please close the "
           "other program and re-start this one.  ";
}

} // namespace topic_list
