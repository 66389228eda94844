#include "net/Message.h"

#include "net/FieldIds.h"
#include "net/Frame.h"

bool BuildMessage(const RequestHeader& header, const KivNetPack& payload, std::string& out) {
  KivNetPack message;
  if (!message.SetRecord(header, FIELD_REQUEST_HEADER, 0)) return false;
  if (!message.SetPack(payload, FIELD_REQUEST_BODY, 0)) return false;
  return message.GetAllPackData(out);
}

bool BuildBatch(const std::vector<std::string>& messages, std::string& out) {
  const size_t maxItems = static_cast<size_t>(FIELD_BATCH_ITEM_LAST - FIELD_BATCH_ITEM_FIRST) + 1;
  if (messages.empty() || messages.size() > maxItems) return false;
  KivNetPack batch;
  for (size_t i = 0; i < messages.size(); ++i) {
    KivNetPack item;
    if (!item.LoadFromString(messages[i])) return false;
    if (!batch.SetPack(item, FIELD_BATCH_ITEM_FIRST + static_cast<int32_t>(i), 0)) return false;
  }
  return batch.GetAllPackData(out);
}

bool ReadMessage(KivNetPack& message, NetMessage& out) {
  if (!message.GetRecord(out.header, FIELD_REQUEST_HEADER, 0)) return false;
  out.payload.Clear();
  return message.GetPack(out.payload, FIELD_REQUEST_BODY, 0);
}

bool ParseMessages(const void* body, size_t length, std::vector<NetMessage>& out) {
  if (body == nullptr || length > kMaxFrameLength) return false;
  return ParseMessages(std::string(static_cast<const char*>(body), length), out);
}

bool ParseMessages(std::string&& body, std::vector<NetMessage>& out) {
  if (body.size() > kMaxFrameLength) return false;
  KivNetPack outer;
  if (!outer.LoadFromString(std::move(body))) return false;

  // The descriptors are copied: the getters below leave the list alone, but
  // the walk should not depend on that.
  const std::vector<PackFieldDesc> fields = outer.GetFields();
  for (const PackFieldDesc& field : fields) {
    const int32_t id = static_cast<int32_t>(field.id);
    if (!IsBatchItemField(id)) {
      NetMessage message;
      if (ReadMessage(outer, message)) out.push_back(std::move(message));
      return true;
    }
    KivNetPack item;
    if (!outer.GetPack(item, id, 0)) continue;
    NetMessage message;
    if (ReadMessage(item, message)) out.push_back(std::move(message));
  }
  return true;
}
