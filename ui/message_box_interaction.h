// The workbench's person in the window: modal message boxes (question icon, buttons "Да",
// "Нет", "Отмена", "OK"), the busy cursor, keyboard focus and progress text.
#ifndef SKARNVEL_UI_MESSAGE_BOX_INTERACTION_H_
#define SKARNVEL_UI_MESSAGE_BOX_INTERACTION_H_

#include <QPointer>
#include <QWidget>
#include <functional>

#include "actions/interaction.h"

namespace ui {

class MessageBoxInteraction : public actions::Interaction {
 public:
  // Boxes are shown over `parent`; `focus` moves the keyboard focus to a path edit;
  // `progress` shows a progress text (an empty text ends it).
  MessageBoxInteraction(QWidget* parent, std::function<void(actions::FocusTarget)> focus,
                        std::function<void(const QString&)> progress);
  ~MessageBoxInteraction() override;

  actions::Answer Ask(actions::Question question, const std::string& caption,
                      const std::string& text) override;
  void Notify(actions::Notice notice, const std::string& text) override;
  void ShowError(const std::string& text) override;
  void SetBusy(bool busy) override;
  void Focus(actions::FocusTarget target) override;
  void Progress(const std::string& text) override;

 private:
  QPointer<QWidget> parent_;
  std::function<void(actions::FocusTarget)> focus_;
  std::function<void(const QString&)> progress_;
  int busy_ = 0;
};

}  // namespace ui

#endif  // SKARNVEL_UI_MESSAGE_BOX_INTERACTION_H_
