#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace ravix {

// Extra form fields of the crash report, in the order they are sent.
using ReportFields = std::vector<std::pair<std::string, std::string>>;

// What the crash report submission sends to the report server.
struct CrashSubmission {
    std::string mHost;         // the report server, "name" or "name:port"
    ReportFields mExtraFields; // from the application's AddReportFields
    std::string mProduct;
    std::string mVersion;
    std::string mComment;                   // the user's comment
    std::string mTitle;                     // "Exception at ..."
    std::string mReport;                    // the text of crash.txt
    std::optional<std::string> mAttachment; // the bytes of the demo file (or other attachment)
};

// The form's part boundary.
inline constexpr std::string_view kReportBoundary = "---------------------------7d3e1f30eec";
// The longest comment the user can give.
inline constexpr size_t kMaxReportComment = 8192;

// The complete HTTP request (request line, headers, multipart body) that posts the report.
std::string BuildCrashReportRequest(const CrashSubmission& submission);

// The extra form fields as one line of text for the reporter process's environment
// ("name=value&...", both percent-encoded), and back. Decoding takes any text: malformed escapes
// stay as they are, a pair without "=" has an empty value, empty names are dropped.
std::string EncodeReportFields(const std::map<std::string, std::string>& fields);
ReportFields DecodeReportFields(std::string_view text);

} // namespace ravix
