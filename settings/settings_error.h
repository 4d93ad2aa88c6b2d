#pragma once
// The one error the settings module raises. Its notice is what the
// application's error box shows to the user; what() is the same as one text.

#include "text/words.h"

namespace vk47 {

class SettingsError : public NoticeError {
 public:
  using NoticeError::NoticeError;
};

}  // namespace vk47
