#pragma once

#include <QByteArray>
#include <QString>

#include "core/Result.h"

namespace packshelf {

// Confines this process, a reader, for the rest of its life, as far as the
// kernel's Landlock goes (probed with landlock_create_ruleset(NULL, 0,
// LANDLOCK_CREATE_RULESET_VERSION)): it may read what its user may, but
// write, make and remove files only below `workFolder`, execute nothing,
// and, where the kernel's Landlock knows them, open no TCP connection and
// signal no process outside itself. It can never gain privileges
// (no_new_privs) and dumps no core.
//
// Answers how it is confined, "not confined: ..." when the kernel offers no
// Landlock (the reader then writes with its user's rights, still holding
// no descriptor but its socket), and fails when Landlock is there but the
// confinement cannot be set up.
Result<QString> confineReader(const QByteArray& workFolder);

} // namespace packshelf
