#pragma once
// A request to stop the running command as soon as it safely can (SIGINT and friends in the
// `unlha` command). The long loops look at it; whatever is half-written is then thrown away.

namespace unlha {

void requestCancel() noexcept;
bool cancelRequested() noexcept;

} // namespace unlha
