// Reply handlers that hold a liveness reference instead of a bare pointer:
// a reply that arrives after its window (or other object) is gone is
// dropped, and reported handled, so the connection manager forgets it.
//
//   // a window: bound to the window's own token, revoked by DestroyWindow
//   service.RequestBS20(BindAlive(this, &CKivDesk_BS20::OnPacket), ...);
//
//   // any other object: bound to its Lifeline
//   service.RequestKLine(BindAlive(life_.Ref(), this, &KLineModel::OnPacket), ...);
//
// The handler runs on the network service's I/O thread under the token's
// lock: it may read the object and post to windows, but must not
// SendMessage to the thread that destroys the window (see LivenessToken.h).
#pragma once

#include <cstdint>

#include "net/ConnectionManager.h"
#include "net/KivNetPack.h"
#include "platform/post/WindowRef.h"

namespace kiv {

// A PacketHandler calling (object->*member)(...) only while ref is alive.
template <class Object, class Owner>
PacketHandler BindAlive(const WindowRef& ref, Object* object,
                        bool (Owner::*member)(KivNetPack&, const uint32_t&, const uint32_t&)) {
  return [ref, object, member](KivNetPack& payload, const uint32_t& type, const uint32_t& extra) {
    bool result = true;
    ref.RunIfAlive([&] { result = (object->*member)(payload, type, extra); });
    return result;
  };
}

// The same for a window object (anything with GetSafeHwnd): bound to the
// token of its window, which must exist already (after Create; in OnCreate
// it does). A handler bound to an object without a window never runs.
template <class Window, class Owner>
PacketHandler BindAlive(Window* window, bool (Owner::*member)(KivNetPack&, const uint32_t&, const uint32_t&)) {
  return BindAlive(WindowRef::Of(window->GetSafeHwnd()), window, member);
}

}  // namespace kiv
