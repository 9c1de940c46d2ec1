#include "app/messages.h"

#include "app/catalogue.h"

namespace korav {

std::string_view translate(std::string_view english) { return catalogue().translate(english); }

}  // namespace korav
