#include "io/descriptor.h"

#include <unistd.h>  // close

namespace geoframe {

void Descriptor::Reset() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

}  // namespace geoframe
