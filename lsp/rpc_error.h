// JSON-RPC's and the protocol's error codes, and the error a handler raises.
#pragma once

#include <string>

constexpr int kParseError = -32700;
constexpr int kInvalidRequest = -32600;
constexpr int kMethodNotFound = -32601;
constexpr int kInvalidParams = -32602;
constexpr int kInternalError = -32603;
constexpr int kServerNotInitialized = -32002;
constexpr int kRequestFailed = -32803;

// Answers the request that raised it; its message is a text of the table.
struct TRpcError {
    int Code;
    std::string Message;
};
