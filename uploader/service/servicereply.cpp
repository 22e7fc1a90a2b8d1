#include "uploader/service/servicereply.h"

#include <json/reader.h>

bool ParseJson(const std::string& body, Json::Value& root) {
    root = Json::Value();
    Json::CharReaderBuilder builder;
    std::string errors;
    try {
        std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
        return reader->parse(body.data(), body.data() + body.size(), &root, &errors);
    } catch (...) {
        // The reader throws on nesting deeper than its stack limit; a hostile body must not
        // end the tool.
        root = Json::Value();
        return false;
    }
}

bool HasNonNull(const Json::Value& object, const char* key) {
    return object.isObject() && object.isMember(key) && !object[key].isNull();
}

bool StringMember(const Json::Value& object, const char* key, std::string& text) {
    text.clear();
    if (!HasNonNull(object, key) || !object[key].isString()) return false;
    text = object[key].asString();
    return true;
}

bool StringValueMember(const Json::Value& object, const char* key, std::string& text) {
    text.clear();
    if (!HasNonNull(object, key)) return true;
    const Json::Value& value = object[key];
    if (value.isArray() || value.isObject()) return false;
    text = value.asString();
    return true;
}

bool ParseServiceReply(const std::string& body, ServiceReply& reply) {
    reply = ServiceReply();
    Json::Value root;
    if (!ParseJson(body, root) || !root.isObject()) return false;
    if (HasNonNull(root, "errorCode")) {
        const Json::Value& code = root["errorCode"];
        if (!code.isInt64()) return false;
        reply.errorCode = code.asInt64();
    }
    StringMember(root, "errorMessage", reply.errorMessage);
    if (root.isMember("data")) reply.data = root["data"];
    return true;
}
