#include "crash/CrashSubmission.h"

#include <charconv>

namespace ravix {

namespace {

void AppendPart(std::string& body, std::string_view disposition, std::string_view value) {
    body.append("--").append(kReportBoundary);
    body.append("\r\nContent-Disposition: form-data; name=").append(disposition).append("\r\n");
    body.append("\r\n").append(value).append("\r\n");
}

void AppendField(std::string& body, std::string_view name, std::string_view value) {
    std::string disposition = "\"";
    disposition.append(name).append("\"");
    AppendPart(body, disposition, value);
}

void AppendEscaped(std::string& out, std::string_view text) {
    constexpr char kHex[] = "0123456789ABCDEF";
    for (unsigned char c : text) {
        bool plain = (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
                     c == '-' || c == '_' || c == '.' || c == ' ';
        if (plain) {
            out += static_cast<char>(c);
        } else {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 15];
        }
    }
}

std::string Unescape(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        unsigned value = 0;
        const char* digits = text.data() + i + 1;
        if (text[i] == '%' && i + 2 < text.size() &&
            std::from_chars(digits, digits + 2, value, 16).ptr == digits + 2) {
            out += static_cast<char>(value);
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

} // namespace

std::string BuildCrashReportRequest(const CrashSubmission& submission) {
    std::string body;
    for (const auto& [name, value] : submission.mExtraFields) {
        AppendField(body, name, value);
    }
    AppendField(body, "prod", submission.mProduct);
    AppendField(body, "version", submission.mVersion);
    AppendField(body, "usertext", submission.mComment);
    AppendField(body, "errortitle", submission.mTitle);
    AppendField(body, "errortext", submission.mReport);
    if (submission.mAttachment) {
        AppendPart(body,
                   "\"demofile\"; filename=\"dravik.dmo\"\r\n"
                   "Content-Type: application/octet-stream",
                   *submission.mAttachment);
    }
    body.append("--").append(kReportBoundary).append("--\r\n");

    std::string request = "POST /vorlax_error.php HTTP/1.1\r\n"
                          "Content-Type: multipart/form-data; boundary=";
    request.append(kReportBoundary);
    request.append("\r\nUser-Agent: Mozilla/4.0 (compatible; dravik)\r\n");
    request.append("Host: ").append(submission.mHost).append("\r\n");
    request.append("Content-Length: ").append(std::to_string(body.size())).append("\r\n");
    request.append("Connection: close\r\n\r\n");
    request.append(body);
    return request;
}

std::string EncodeReportFields(const std::map<std::string, std::string>& fields) {
    std::string text;
    for (const auto& [name, value] : fields) {
        if (!text.empty()) {
            text += '&';
        }
        AppendEscaped(text, name);
        text += '=';
        AppendEscaped(text, value);
    }
    return text;
}

ReportFields DecodeReportFields(std::string_view text) {
    ReportFields fields;
    while (!text.empty()) {
        size_t end = text.find('&');
        std::string_view pair = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        size_t equals = pair.find('=');
        std::string name = Unescape(pair.substr(0, equals));
        if (name.empty()) {
            continue;
        }
        std::string value =
            equals == std::string_view::npos ? std::string() : Unescape(pair.substr(equals + 1));
        fields.emplace_back(std::move(name), std::move(value));
    }
    return fields;
}

} // namespace ravix
