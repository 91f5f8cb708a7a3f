// The site the published pages belong to: addresses, advertising and analytics
// identifiers and the footer's texts. Compiled in; every value is empty until
// the site is set up. The page writers escape every value they print.
#pragma once
#include <string>

namespace kv::pub {

struct SiteConfig {
    std::string SiteAddress;            // scheme and host, no trailing slash
    std::string SiteContactMail;        // the contact address of the footer's mail link
    std::string AdClient;               // advertising client identifier (both units)
    std::string AdSlotSide;             // slot of the 160x600 side unit
    std::string AdSlotMain;             // slot of the 728x90 main unit
    std::string AdLoaderScript;         // address of the advertising loader script
    std::string AnalyticsSecureScript;  // analytics script address for secure pages
    std::string AnalyticsPlainScript;   // the same for plain pages
    std::string AnalyticsId;            // the site's tracking identifier
    std::string FooterParagraphClass;   // class of the footer paragraph
    std::string RightsNotice;           // the rights notice, before the linked site name
};

// The configuration the program is built with.
inline const SiteConfig& siteConfig() {
    static const SiteConfig config{};
    return config;
}

}  // namespace kv::pub
