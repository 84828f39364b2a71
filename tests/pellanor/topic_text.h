// topic_text.h
// The text of topic files, for tests natively and under Windows alike.
#pragma once

#include <string>
#include <vector>

namespace testsupport {

// One topic file's lines, joined with CR LF.
inline std::string topicText(const std::vector<std::string>& lines) {
    std::string s;
    for (const std::string& l : lines) s += l + "\r\n";
    return s;
}

// n valid verse lines "Book TAB 1 TAB i TAB <tag> verse i".
inline std::string verses(int n, const std::string& tag = "v") {
    std::string s;
    for (int i = 1; i <= n; ++i)
        s += "Psalms\t1\t" + std::to_string(i) + "\t" + tag + " verse " + std::to_string(i) + "\r\n";
    return s;
}

} // namespace testsupport
