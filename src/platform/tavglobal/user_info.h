// The user-info object: who the current user is and which language they read.
#pragma once

#include <cstdint>
#include <string>

#include "platform/com/object.h"

namespace tavglobal {

// The administrator, whose templates and settings are every user's default.
inline constexpr std::int16_t kAdministratorUserId = 16394;

class UserInfo : public com::Unknown {
 public:
  UserInfo(std::u16string user_name, std::int16_t user_id, std::u16string language)
      : user_name_(std::move(user_name)), user_id_(user_id), language_(std::move(language)) {}
  ~UserInfo() override;

  const std::u16string& UserName() const noexcept { return user_name_; }
  std::int16_t UserID() const noexcept { return user_id_; }
  // "CHS", "CHT", "EN" ...; callers compare it without regard to case.
  const std::u16string& Language() const noexcept { return language_; }

 private:
  std::u16string user_name_;
  std::int16_t user_id_;
  std::u16string language_;
};

}  // namespace tavglobal
