#include "model/message.h"

#include <algorithm>

#include "model/texts.h"

namespace kavira {

Message::Message(const char* catalogueText, std::initializer_list<MessageArg> args)
    : kind_(Kind::Catalogue), templ_(catalogueText) {
  parts_.reserve(args.size());
  for (const MessageArg& arg : args)
    parts_.push_back(arg.message);
}

Message Message::Text(std::string text) {
  Message m;
  m.text_ = std::move(text);
  return m;
}

Message Message::Lines(std::initializer_list<Message> lines) {
  Message m;
  m.kind_ = Kind::Sequence;
  for (const Message& line : lines) {
    if (!m.parts_.empty()) m.parts_.push_back(Text("\n"));
    m.parts_.push_back(line);
  }
  return m;
}

Message& Message::operator+=(Message next) {
  if (kind_ != Kind::Sequence) {
    Message first = std::move(*this);
    *this = Message();
    kind_ = Kind::Sequence;
    parts_.push_back(std::move(first));
  }
  parts_.push_back(std::move(next));
  return *this;
}

bool Message::empty() const {
  switch (kind_) {
    case Kind::Text:
      return text_.empty();
    case Kind::Catalogue:
      return templ_ == nullptr || *templ_ == '\0';
    case Kind::Sequence:
      break;
  }
  return std::ranges::all_of(parts_, [](const Message& part) { return part.empty(); });
}

std::string Message::Polish() const {
  return Render([](const char* text) { return std::string(text); });
}

std::string Message::Render(const std::function<std::string(const char*)>& translate) const {
  switch (kind_) {
    case Kind::Text:
      return text_;
    case Kind::Catalogue: {
      if (templ_ == nullptr) return {};
      std::vector<std::string> args;
      args.reserve(parts_.size());
      for (const Message& arg : parts_)
        args.push_back(arg.Render(translate));
      return Format(translate(templ_), args);
    }
    case Kind::Sequence:
      break;
  }
  std::string out;
  for (const Message& part : parts_)
    out += part.Render(translate);
  return out;
}

}  // namespace kavira
