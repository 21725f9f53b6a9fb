// A text for the user as the core composes it: a catalogue text (model/texts.h) and its arguments,
// kept apart until the text is shown. A Host that shows another language translates the template and
// every argument that is a catalogue text itself ("zwykły plik" in "%1 to %2, a nie port
// szeregowy."); numbers, names and the system's reasons stay exactly as they are, whatever they say.
#pragma once

#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

namespace kavira {

class MessageArg;

class Message {
 public:
  Message() = default;
  // A catalogue text on its own; no other strings become messages unasked.
  Message(const char* catalogueText) : kind_(Kind::Catalogue), templ_(catalogueText) {}  // NOLINT
  // A catalogue text with its %1-%9 filled in by the arguments.
  Message(const char* catalogueText, std::initializer_list<MessageArg> args);
  // Text that is shown as it stands in every language: a number, a file name, the system's reason, a
  // dialog's text that the window program has already translated.
  static Message Text(std::string text);
  // The lines one below the other.
  static Message Lines(std::initializer_list<Message> lines);

  // This text followed by `next`.
  Message& operator+=(Message next);
  friend Message operator+(Message a, Message b) { return a += std::move(b); }

  bool empty() const;
  // The text in Polish, as the catalogue writes it.
  std::string Polish() const;
  // The text with each catalogue text replaced by `translate(text)` before its arguments go in.
  std::string Render(const std::function<std::string(const char*)>& translate) const;

 private:
  enum class Kind { Text, Catalogue, Sequence };
  Kind kind_ = Kind::Text;
  const char* templ_ = nullptr;
  std::string text_;
  std::vector<Message> parts_;  // the arguments of a catalogue text, the pieces of a sequence
};

// An argument of a message: a std::string stands as it is (a number, a name, a reason), a `const char*`
// is a catalogue text and is translated, and so is a message.
class MessageArg {
 public:
  MessageArg(std::string text) : message(Message::Text(std::move(text))) {}  // NOLINT
  MessageArg(const char* catalogueText) : message(catalogueText) {}          // NOLINT
  MessageArg(Message m) : message(std::move(m)) {}                           // NOLINT
  Message message;
};

}  // namespace kavira
