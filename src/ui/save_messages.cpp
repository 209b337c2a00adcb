#include "ui/save_messages.h"

namespace tav {

namespace {

// 「a」「b」「c」ほか2件: keywords stay whole, however long.
std::string noteNames(const std::vector<std::string>& notes, std::size_t shown,
                      const char* between) {
  std::string out;
  for (std::size_t i = 0; i < notes.size() && i < shown; ++i) {
    if (i > 0) out += between;
    out += "「" + notes[i] + "」";
  }
  if (notes.size() > shown) out += "ほか" + std::to_string(notes.size() - shown) + "件";
  return out;
}

}  // namespace

const char* const kJournalFailingText =
    "編集の記録を書き込めません。ディスクの空きを確かめてください（書き込めるようになると続きを書きます）";

std::string saveFailureText(const KeywordIndex::SaveFailures& f) {
  if (!f.any()) return std::string();
  if (f.notes.empty()) return "インデックス（index2.txt）を保存できませんでした";
  std::string what = f.index ? "次のメモとインデックスを" : "次のメモを";
  return what + "保存できませんでした: " + noteNames(f.notes, 3, "");
}

std::string saveReportText(const KeywordIndex::SaveReport& r) {
  std::string out;
  if (r.conflicts > 0)
    out = "ほかで変更されていたメモ" + std::to_string(r.conflicts) +
          "件は両方の版を残しました（ほかの版は「競合コピー」）";
  if (r.kept > 0) {
    if (!out.empty()) out += "。";
    out += "削除したメモ" + std::to_string(r.kept) + "件はほかで変更されていたため残しました";
  }
  return out;
}

std::string closeQuestionText(const KeywordIndex::SaveFailures& f, bool journalWhole) {
  std::string text;
  if (!f.notes.empty()) {
    text = f.index ? "次のメモとインデックス（index2.txt）を保存できませんでした。\r\n"
                   : "次のメモを保存できませんでした。\r\n";
    text += noteNames(f.notes, 10, "\r\n") + "\r\n";
  } else {
    text = "インデックス（index2.txt）を保存できませんでした。\r\n";
  }
  text +=
      "\r\nほかのプログラムがファイルを使っているか、ディスクの空きが足りない可能性があります。\r\n"
      "\r\nもう一度保存しますか？\r\n"
      "\r\nはい: もう一度保存します"
      "\r\nいいえ: このまま終了します";
  text += journalWhole ? "（変更は失われず、次回の起動時に復元されます）"
                       : "（保存できなかった変更の一部は失われます）";
  text += "\r\nキャンセル: 終了せずに戻ります";
  return text;
}

std::string startStatusText(const Journal& j, KeywordIndex::LoadKind load) {
  std::string out;
  auto add = [&out](const std::string& s) {
    if (!out.empty()) out += " / ";
    out += s;
  };
  if (load == KeywordIndex::LoadKind::RebuiltMissing)
    add("インデックスがなかったため、メモのファイルから作り直しました");
  else if (load == KeywordIndex::LoadKind::RebuiltUnreadable)
    add("インデックスを読めなかったため、メモのファイルから一覧を作りました");
  if (j.recovered() > 0) {
    add(j.recoveredBeside() > 0
            ? std::string("前回の編集を復元しました（ほかで変更されていたメモは、前回の版を「(復元)」付きの別のメモとして残しました）")
            : std::string("前回の編集を復元しました"));
  }
  if (!j.keptAside().empty())
    add("編集の記録を読めなかったため「" + j.keptAside() + "」として残しました。次回の起動時に読み直します");
  if (j.othersLeft() > 0)
    add("ほかのPCの編集の記録は、このPCでは使わずにそのまま残しました");
  if (j.unreadable())
    add("編集の記録（journal.dat）を読めません。ほかのプログラムが使っていないか確かめてください");
  return out;
}

}  // namespace tav
