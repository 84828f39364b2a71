// modHyperLink.cpp
#include "modHyperLink.h"

#include <windows.h>
#include <shellapi.h>

#include "seams.h"

namespace modHyperLink {

void openURL(const std::string& address) { seams::shellOpen(address); }

void sendMail(const std::string& address) { seams::shellOpen("mailto:" + address); }

} // namespace modHyperLink
