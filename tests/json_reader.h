// SPDX-License-Identifier: MIT
// A small strict JSON reader for the tests of the JSON the engine writes:
// strings (escapes included), integers, true, false, null, arrays and
// objects; anything else, or anything left over, reads as Invalid.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace clip2c::test {

struct Json {
    enum class Kind { Invalid, Null, Bool, Number, String, Array, Object } kind = Kind::Invalid;
    bool flag = false;
    std::int64_t number = 0;
    std::string text;
    std::vector<Json> items;
    std::vector<std::pair<std::string, Json>> members;

    // The member `key`; an Invalid value when there is none.
    const Json& operator[](std::string_view key) const {
        static const Json kMissing;
        for (const auto& [name, value] : members) {
            if (name == key) return value;
        }
        return kMissing;
    }
};

class JsonReader {
public:
    static Json read(std::string_view text) {
        JsonReader reader(text);
        Json value = reader.value();
        reader.space();
        return reader.at_ == text.size() ? value : Json{};
    }

private:
    explicit JsonReader(std::string_view text) : text_(text) {}

    void space() {
        while (at_ < text_.size() && (text_[at_] == ' ' || text_[at_] == '\n')) ++at_;
    }
    bool take(std::string_view word) {
        space();
        if (text_.substr(at_, word.size()) != word) return false;
        at_ += word.size();
        return true;
    }
    bool string(std::string& out) {
        if (!take("\"")) return false;
        while (at_ < text_.size()) {
            const char c = text_[at_++];
            if (c == '"') return true;
            if (static_cast<unsigned char>(c) < 0x20) return false;
            if (c != '\\') {
                out += c;
            } else if (take("u00") && at_ + 2 <= text_.size()) {
                out += static_cast<char>(std::stoi(std::string(text_.substr(at_, 2)), nullptr, 16));
                at_ += 2;
            } else if (at_ < text_.size() && (text_[at_] == '"' || text_[at_] == '\\')) {
                out += text_[at_++];
            } else {
                return false;
            }
        }
        return false;
    }
    Json value() {
        Json v;
        space();
        if (take("null")) {
            v.kind = Json::Kind::Null;
        } else if (take("true")) {
            v.kind = Json::Kind::Bool;
            v.flag = true;
        } else if (take("false")) {
            v.kind = Json::Kind::Bool;
        } else if (at_ < text_.size() && text_[at_] == '"') {
            if (string(v.text)) v.kind = Json::Kind::String;
        } else if (take("[")) {
            v.kind = Json::Kind::Array;
            if (take("]")) return v;
            do v.items.push_back(value());
            while (v.items.back().kind != Json::Kind::Invalid && take(","));
            if (v.items.back().kind == Json::Kind::Invalid || !take("]")) return Json{};
        } else if (take("{")) {
            v.kind = Json::Kind::Object;
            if (take("}")) return v;
            do {
                std::string key;
                if (!string(key) || !take(":")) return Json{};
                v.members.emplace_back(std::move(key), value());
            } while (v.members.back().second.kind != Json::Kind::Invalid && take(","));
            if (v.members.back().second.kind == Json::Kind::Invalid || !take("}")) return Json{};
        } else {
            std::size_t used = 0;
            const std::string rest(text_.substr(at_, 24));
            if (rest.empty() || (rest[0] != '-' && (rest[0] < '0' || rest[0] > '9'))) return v;
            v.number = std::stoll(rest, &used);
            at_ += used;
            v.kind = Json::Kind::Number;
        }
        return v;
    }

    std::string_view text_;
    std::size_t at_ = 0;
};

}  // namespace clip2c::test
