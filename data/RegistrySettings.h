// The login settings kept in the registry: string values (SaveKey, UserName,
// PassWord, AutoLogin) under HKEY_CURRENT_USER\Software\Moravel\KivDesk.
// Every failed step returns 0 and tells nobody; any thread may call.
#pragma once

// The key that holds the settings.
extern const char kSettingsKey[];

// Size of the buffer RegReadSetting fills, terminating zero included.
constexpr int kSettingBufferSize = 260;

// Reads the value into buffer (kSettingBufferSize bytes) as zero-terminated
// text; 1 when read, else 0 with the buffer as it was. A null or empty name,
// or a null buffer, gives 0. When the key cannot be opened it is created and
// the result is 0 (a first start). A value that is not a string, or whose
// text does not fit the buffer with its zero, is not read (0): a cut user
// name or password would only fail later and less clearly.
int RegReadSetting(const char* name, char* buffer);

// Writes text as REG_SZ of its length (the zero not counted); 1 when
// written, else 0. A null or empty name, or a null text, gives 0.
int RegWriteSetting(const char* name, const char* text);
