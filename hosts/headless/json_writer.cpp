#include "hosts/headless/json_writer.h"

#include <cstdio>

#include "platform/os/text.h"

// Host names need not be UTF-8; JSON must be, so invalid bytes show as U+FFFD.
std::string JsonEscape(const std::string& raw) {
    const std::string text = plat::ValidUtf8(raw);
    std::string out = "\"";
    for (const char ch : text) {
        const unsigned char c = static_cast<unsigned char>(ch);
        switch (c) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            default:
                if (c < 0x20) {
                    char buf[8];
                    std::snprintf(buf, sizeof buf, "\\u%04x", c);
                    out += buf;
                } else {
                    out += static_cast<char>(c);
                }
        }
    }
    return out + "\"";
}

void JsonWriter::Separate() {
    if (needComma_)
        out_ += ',';
    needComma_ = false;
}

JsonWriter& JsonWriter::BeginObject() {
    Separate();
    out_ += '{';
    return *this;
}

JsonWriter& JsonWriter::EndObject() {
    out_ += '}';
    needComma_ = true;
    return *this;
}

JsonWriter& JsonWriter::BeginArray() {
    Separate();
    out_ += '[';
    return *this;
}

JsonWriter& JsonWriter::EndArray() {
    out_ += ']';
    needComma_ = true;
    return *this;
}

JsonWriter& JsonWriter::Key(const std::string& key) {
    Separate();
    out_ += JsonEscape(key) + ":";
    return *this;
}

JsonWriter& JsonWriter::String(const std::string& value) {
    Separate();
    out_ += JsonEscape(value);
    needComma_ = true;
    return *this;
}

JsonWriter& JsonWriter::Number(int64_t value) {
    Separate();
    out_ += std::to_string(value);
    needComma_ = true;
    return *this;
}

JsonWriter& JsonWriter::Bool(bool value) {
    Separate();
    out_ += value ? "true" : "false";
    needComma_ = true;
    return *this;
}

JsonWriter& JsonWriter::Null() {
    Separate();
    out_ += "null";
    needComma_ = true;
    return *this;
}
