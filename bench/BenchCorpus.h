#pragma once

#include <QString>
#include <QStringList>

namespace packshelf::bench {

// The benchmark corpus: one source folder per case, file counts multiplied
// by the scale (the huge archive stays the same size):
//   many-small/     one archive of 3,200 text files, 53 MB unpacked, deflated,
//                   under "Many Small/Runtime" and "Many Small/Data"
//   many-small-v2/  the same archive name, paths and sizes, every file's
//                   content different
//   textures/       one archive of 60 stored incompressible files of 2 to
//                   8 MiB (about 300 MB) under Runtime/Textures, and
//                   Data/readme.txt
//   textures-v2/    the same with every file's content different
//   empty70k/       one archive of 70,000 empty entries Runtime/dNNN/fNNNNN
//                   in 280 folders (Zip64 end records for the entry count)
//   nested/         one archive with a Runtime folder and 10 archives nested
//                   at its top level, 200 files each, and one nested below it
//   library/        a mixed library of 40 archives: packages with Runtime
//                   and Data folders, some with an 8 MiB incompressible file,
//                   some with nested archives, some with duplicate Runtime
//                   folders
//   many-archives/  1,000 small archives, each a package with a Runtime
//                   folder of 3 files and a readme
//   huge/           one Zip64 archive of 4 GiB: a stored entry of zeros left
//                   as a hole in a sparse file, then a small Data file whose
//                   local header lies beyond 4 GiB
//   library-size/   100/, 1000/ and 10000/: that many small archives, each a
//                   package of 20 stored text files of 200 to 1,000 bytes
//                   under Runtime/<package name>/, packages 0 to size - 1
//                   (the same bytes in every folder); one-more/: package
//                   10000 alone (the package counts stay the same at any
//                   scale, the files per package are multiplied)
//   deep-paths/     one archive of 10 small files 1,000 folders deep
//   duplicate-names/ one archive of 200,000 empty entries, each given twice
//   long-names/     one archive of 100,000 empty entries with 2.8 KB names
//                   (these three are the same at any scale)
// The same scale always gives the same bytes.
QStringList benchCaseNames();

// Writes case `name` into folder/name, replacing what was there. Answers
// false for an unknown name or when anything could not be written.
bool makeBenchCase(const QString& folder, const QString& name, int scale);

} // namespace packshelf::bench
