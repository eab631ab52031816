// A message the program shows in a modal box owned by its window (MB_OK, no
// icon): what the field checks and the result panel hand to the window.
#ifndef KESTROVA_RECORDS_USER_MESSAGE_H_
#define KESTROVA_RECORDS_USER_MESSAGE_H_

#include <string>

namespace kestrova {

struct UserMessage {
  std::string text;     // CP932 bytes
  std::string caption;  // CP932 bytes
};

}  // namespace kestrova

#endif  // KESTROVA_RECORDS_USER_MESSAGE_H_
