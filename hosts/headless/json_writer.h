// A small JSON writer for the state the headless host reports.
#pragma once

#include <cstdint>
#include <string>

class JsonWriter {
  public:
    JsonWriter& BeginObject();
    JsonWriter& EndObject();
    JsonWriter& BeginArray();
    JsonWriter& EndArray();
    JsonWriter& Key(const std::string& key);
    JsonWriter& String(const std::string& value);
    JsonWriter& Number(int64_t value);
    JsonWriter& Bool(bool value);
    JsonWriter& Null();
    const std::string& Text() const { return out_; }

  private:
    void Separate();
    std::string out_;
    bool needComma_ = false;
};

std::string JsonEscape(const std::string& text);
