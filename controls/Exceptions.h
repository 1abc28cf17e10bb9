// The error class of the maker's control and toolbar framework; its
// messages are resource texts.
#pragma once

#include "forms/Exceptions.h"

namespace controls {

class EdxException : public forms::Exception {
public:
    using forms::Exception::Exception;
};

}  // namespace controls
