#pragma once
// The one error the settings module raises. Its message is the Japanese text
// that the application's error box shows to the user as it stands.

#include <stdexcept>
#include <string>

namespace vk47 {

class SettingsError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

}  // namespace vk47
