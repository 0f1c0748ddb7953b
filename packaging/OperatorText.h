// The launcher's and the supervisor's words for the operator, with the names and reasons put in.
#pragma once

#include <initializer_list>
#include <string>

#include "platform/Language.h"

namespace booth {

// The operator's half of `message`, each "{}" replaced by the next of `parts`.
std::string OperatorText(const plat::Bilingual& message,
                         std::initializer_list<std::string> parts = {});

// The supervisor's last box, when it gives up restarting: the last end, the booth's log and the
// command that starts the booth again go into the "{}"s.
inline constexpr plat::Bilingual kGaveUpText = {
    "ゲームが 10 分のうちに何度も落ちたので、起動し直すのをやめました（最後の終わり方: {}）。"
    "起きたことは {} にあります。パソコンを再起動してから、{} で起動し直してください。"
    "また同じように落ちるときは、その kv_booth.log をゲームを作った人に見せてください",
    "the game fell over again and again within 10 minutes, so it is not started again (its "
    "last end: {}). What happened is in {}. Restart the computer, then start the game again "
    "with {}. If it falls over the same way again, show that kv_booth.log to whoever made the "
    "game"};

}  // namespace booth
