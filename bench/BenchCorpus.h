#pragma once

#include <QString>

namespace packshelf::bench {

// The benchmark corpus: four source folders inside `folder`, each a case of
// its own, with file counts and sizes multiplied by `scale`:
//   small/    one archive of 4000 small text files (1 to 4 KiB)
//   large/    one archive of 20 incompressible files of 4 MiB
//   nested/   one archive with a Runtime folder and 10 archives nested at
//             its top level, 200 files each, and one nested below it
//   library/  a mixed library of 40 archives: packages with Runtime and
//             Data folders, some with an 8 MiB incompressible file, some
//             with nested archives, some with duplicate Runtime folders
// The same scale always gives the same bytes. Answers false when anything
// could not be written.
bool makeBenchCorpus(const QString& folder, int scale);

} // namespace packshelf::bench
