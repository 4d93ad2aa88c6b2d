#pragma once
// TForm3: the modal dialog that chooses the robot's serial port (COM1..COM4).
// Each showing selects what set.ini holds; OK stores the choice, "キャンセル"
// and the close box store nothing. It never touches the open port: the new
// port is used from the next start. Enter and Escape press neither button.
// UI thread only.

#include <QDialog>
#include <QGroupBox>

class QButtonGroup;
class QLabel;
class QPushButton;

namespace vk47 {

// A captioned group of radio items in columns, filled top to bottom.
// ItemIndex -1 means no item is selected.
class TRadioGroup : public QGroupBox {
  Q_OBJECT

 public:
  TRadioGroup(const QString& caption, const QStringList& items, int columns, QWidget* parent);

  int ItemIndex() const;
  // Selects one item; values below -1 become -1, values past the last item
  // the last item.
  void SetItemIndex(int index);
  int Count() const;
  // Lays the items out for the current size (also done on every resize).
  void ArrangeButtons();

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:

  QButtonGroup* buttons_;
  int columns_;
};

class TForm3 : public QDialog {
  Q_OBJECT

 public:
  explicit TForm3(QWidget* main_window);
  ~TForm3() override;

  void Button1Click();  // OK
  void Button2Click();  // Cancel

  QLabel* Label1 = nullptr;
  TRadioGroup* RadioGroup1 = nullptr;
  QLabel* Label2 = nullptr;
  QPushButton* Button1 = nullptr;
  QPushButton* Button2 = nullptr;

 protected:
  void showEvent(QShowEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void FormShow();

  QWidget* main_window_;
};

// The program's port settings dialog, set while it exists.
extern TForm3* Form3;

}  // namespace vk47
