#pragma once

#include <json/value.h>

#include <string>

// Envelope of the platform's lookup and upload replies.
struct ServiceReply {
    long long errorCode = 0;   // 0 = success; absent or null counts as 0
    std::string errorMessage;  // UTF-8, accompanies a refusal
    Json::Value data;          // payload of a successful lookup (null when absent)
};

// Parses a whole body as one JSON document. Returns false for a body that is not JSON, whose
// root is not an object, or whose errorCode is not an integer. An errorMessage that is
// absent or not a string reads as empty.
bool ParseServiceReply(const std::string& body, ServiceReply& reply);

// Parses a whole body as one JSON document. Returns false when it is not JSON; never throws.
bool ParseJson(const std::string& body, Json::Value& root);

// Member `key` of `object` as text. Returns false when the member is absent, null or not a
// string (or `object` is not an object); `text` is then emptied.
bool StringMember(const Json::Value& object, const char* key, std::string& text);

// Member `key` of `object` as jsoncpp's string conversion gives it: a string as it is, a number
// as its digits, a boolean as "true" or "false", null or absent as empty text. Returns false,
// with `text` empty, for an array or an object, which have no string value.
bool StringValueMember(const Json::Value& object, const char* key, std::string& text);

// True when `object` is an object holding `key` with a value other than null.
bool HasNonNull(const Json::Value& object, const char* key);
