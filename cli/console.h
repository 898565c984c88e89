#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace quillfold {

// The terminal as the command-line front end sees it. The real one uses the
// process's standard streams; tests run the front end in-process on a fake.
class Console {
 public:
  virtual ~Console() = default;
  virtual void Out(std::string_view text) = 0;  // standard output: the report only
  virtual void Err(std::string_view text) = 0;  // standard error: questions, progress, errors
  virtual bool InputIsTerminal() = 0;
  virtual bool ErrorIsTerminal() = 0;
  // One line of standard input without its line end; none at the end of input.
  virtual std::optional<std::string> ReadLine() = 0;
  // The current folder, for making a relative BASE absolute.
  virtual std::string CurrentFolder() = 0;
  // The signal that asked the program to stop (SIGINT, SIGTERM, SIGHUP), or
  // 0 while none has.
  virtual int StopSignal() = 0;
};

// On a pipe or a file, standard output only ever receives whole lines, so
// a reader never sees half a line however the program ends; on a terminal
// it receives everything at once.
class StandardConsole final : public Console {
 public:
  StandardConsole();
  void Out(std::string_view text) override;
  void Err(std::string_view text) override;
  bool InputIsTerminal() override;
  bool ErrorIsTerminal() override;
  std::optional<std::string> ReadLine() override;
  std::string CurrentFolder() override;
  int StopSignal() override;

  // Writes out what standard output still holds back; call at the end.
  void Flush();

 private:
  // Writes the first `size` bytes held back.
  void WriteOut(std::size_t size);

  bool output_is_terminal_;
  std::string held_back_;
};

}  // namespace quillfold
