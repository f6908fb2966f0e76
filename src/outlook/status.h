// Status codes the object model returns besides the common ones of platform/hresult.h, with the values
// Windows gives them (log lines print them as numbers).
#pragma once

#include "platform/hresult.h"

namespace outlook {

// A 1-based index outside 1..Count.
inline constexpr HRESULT DISP_E_BADINDEX = static_cast<HRESULT>(0x8002000Bu);
// A value that cannot be converted to the type asked for (a user property, a named property).
inline constexpr HRESULT DISP_E_TYPEMISMATCH = static_cast<HRESULT>(0x80020005u);
// No such property, occurrence, folder or item.
inline constexpr HRESULT MAPI_E_NOT_FOUND = static_cast<HRESULT>(0x8004010Fu);
// The object was deleted (by this or another session) after it was handed out.
inline constexpr HRESULT MAPI_E_OBJECT_DELETED = static_cast<HRESULT>(0x8004010Au);
// A folder of that name exists already.
inline constexpr HRESULT MAPI_E_COLLISION = static_cast<HRESULT>(0x80040604u);
// The store file is held by another process longer than the wait allows.
inline constexpr HRESULT MAPI_E_TIMEOUT = static_cast<HRESULT>(0x80040401u);
// The store file is damaged or not a store; it is left as it is.
inline constexpr HRESULT MAPI_E_CORRUPT_STORE = static_cast<HRESULT>(0x80040600u);
// The store cannot be opened or written (disk, permissions).
inline constexpr HRESULT MAPI_E_DISK_ERROR = static_cast<HRESULT>(0x80040116u);
// A call the object does not allow in its state (no logon, an occurrence asked for its pattern ...).
inline constexpr HRESULT MAPI_E_NO_SUPPORT = static_cast<HRESULT>(0x80040102u);
// A change refused because an event handler cancelled it.
inline constexpr HRESULT MAPI_E_USER_CANCEL = static_cast<HRESULT>(0x80040113u);

// Unadvise of a cookie that names no connection of this source.
inline constexpr HRESULT CONNECT_E_NOCONNECTION = static_cast<HRESULT>(0x80040200u);

}  // namespace outlook
