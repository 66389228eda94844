// Messages of the market-data link: what a frame body holds once unframed
// (Frame.h). Both directions use the same shape, a KivNetPack with one row
// and two fields:
//
//   field 100000 (FIELD_REQUEST_HEADER)  type 8, 24 bytes: the RequestHeader
//   field 100001 (FIELD_REQUEST_BODY)    type 1: the payload, itself a
//                                        serialised KivNetPack (an empty
//                                        pack, 16 bytes, when there is
//                                        nothing to send)
//
// A body may instead be a batch: one row whose fields all have ids in
// 100000001 .. 100009999 (IsBatchItemField), each a nested pack of the
// two-field shape above. Items are taken in field order. At the first field
// outside that range the walk stops and the whole body is read as one plain
// message. An item, or a plain message, that lacks its header or payload or
// whose parts do not load is skipped; the rest of the body still counts.
//
// Only a body that is not a pack at all is an error: the link that carried
// it is out of step and is closed.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "net/KivNetPack.h"
#include "net/RequestHeader.h"

struct NetMessage {
  RequestHeader header;
  KivNetPack payload;
};

// Serialises the two-field pack for header and payload into out. False only
// when the pack cannot be built (a payload too large for a field).
bool BuildMessage(const RequestHeader& header, const KivNetPack& payload, std::string& out);

// Serialises a batch: item i of messages (each a serialised message, as
// BuildMessage makes) becomes field 100000001 + i. False for an empty list,
// more than 9999 items, or an item that is not a pack.
bool BuildBatch(const std::vector<std::string>& messages, std::string& out);

// Takes a message body apart, appending its messages to out in order.
// False when the body is not a pack (out keeps what it held). The payloads
// are read where they lie in one copy of the body, which they share (see
// KivNetPack); the overload taking a string takes it over instead of
// copying it.
bool ParseMessages(const void* body, size_t length, std::vector<NetMessage>& out);
bool ParseMessages(std::string&& body, std::vector<NetMessage>& out);

// Reads header and payload of one two-field message pack (row 0). False when
// either is missing or does not load.
bool ReadMessage(KivNetPack& message, NetMessage& out);
