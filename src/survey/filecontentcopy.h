#pragma once

#include <QtGlobal>

namespace Velmora {

// Copies the first `size` bytes of the file `source` into the empty file
// `destination`, keeping holes as holes: a sparse picture of gigabytes takes no
// more disk as a copy than the original. Shares the blocks outright where the
// file system can clone (btrfs, XFS). Returns 0, or the errno of the failure.
int copyContent(int source, int destination, qint64 size);

} // namespace Velmora
