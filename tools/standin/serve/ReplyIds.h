// Data types and reply field ids the stand-in serves, beyond the shared ones
// of net/FieldIds.h. Names follow the terminal's families: DT_ data types,
// GROUP_ nested reply packs (type 1), FIELD_ values.
#pragma once

#include <cstdint>

namespace kiv::standin {

// Data types.
constexpr uint32_t DT_ALL_STOCKS = 20000002;     // records of all securities; no reader
constexpr uint32_t DT_STOCK_TABLE = 20000003;    // market overview: id and name of every security
constexpr uint32_t DT_USER_ID = 20000051;        // user id announcement; no reader

// Values.
constexpr int32_t FIELD_OTHER_LOGIN_IP = 200001;  // forced logout: text, 16 bytes, ASCII
constexpr int32_t FIELD_USER_ID = 300000138;      // the logged-in user id (20000051)

// Fixed sizes of text fields, NUL-padded: a name keeps at most 15 bytes.
constexpr int32_t kStockNameFieldSize = 16;
constexpr int32_t kIpTextFieldSize = 16;

}  // namespace kiv::standin
