#include "base/messages.h"

#include "base/catalogue.h"

namespace korav {

std::string_view translate(std::string_view english) { return catalogue().translate(english); }

}  // namespace korav
