// modHyperLink.h
// Web pages and new mail messages, opened by the shell's default programs.
#pragma once

#include <string>

namespace modHyperLink {

void openURL(const std::string& address);
void sendMail(const std::string& address);

// The maker's pages the menus open.
inline constexpr const char* kUpdatesPage = "https://pellanor.example/updates/";
inline constexpr const char* kSalvationPage = "https://pellanor.example/knowing-jesus/";

} // namespace modHyperLink
