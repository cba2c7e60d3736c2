// TelemetryTexts: the system's own Russian texts of point states and event
// texts, as the Windows-1251 bytes that go on the wire on every build.
//
// They live here once, as escaped bytes, because the sources are UTF-8 and
// the wire is not: a literal written in Cyrillic would reach clients as
// UTF-8. The comment beside each gives the text it spells.
#pragma once

#include <string_view>

// States of status points without class texts.
inline constexpr std::string_view TextAlarmSet = "\xC2\xC7\xC2\xC5\xC4\xC5\xCD";  // ВЗВЕДЕН
inline constexpr std::string_view TextAlarmCleared = "\xD1\xCD\xDF\xD2";           // СНЯТ
inline constexpr std::string_view TextOn = "\xC2\xCA\xCB";                          // ВКЛ
inline constexpr std::string_view TextOff = "\xCE\xD2\xCA\xCB";                     // ОТКЛ

// Kinds of events.
inline constexpr std::string_view TextTs = "\xD2\xD1";                                               // ТС
inline constexpr std::string_view TextAps = "\xC0\xCF\xD1";                                          // АПС
inline constexpr std::string_view TextTu = "\xD2\xD3";                                               // ТУ
inline constexpr std::string_view TextAcknowledge = "\xCA\xE2\xE8\xF2\xE8\xF0\xEE\xE2\xE0\xED\xE8\xE5";  // Квитирование
inline constexpr std::string_view TextByHand = "\xC2\xF0\xF3\xF7\xED\xF3\xFE";                      // Вручную
inline constexpr std::string_view TextManual = "\xD0\xD3\xD7\xCD.";                                  // РУЧН.
inline constexpr std::string_view TextFromTm = "\xCE\xD2 \xD2\xCC";                                  // ОТ ТМ
inline constexpr std::string_view TextMessage = "\xD1\xCE\xCE\xC1\xD9";                              // СООБЩ
inline constexpr std::string_view TextUnknownEvent =
    "\xCD\xE5\xE8\xE7\xE2\xE5\xF1\xF2\xED\xEE\xE5 \xF1\xEE\xE1\xFB\xF2\xE8\xE5";  // Неизвестное событие

// What happened.
inline constexpr std::string_view TextNormal = "\xCD\xEE\xF0\xEC\xE0";                                // Норма
inline constexpr std::string_view TextAlarmOpen = "\xD2\xF0\xE5\xE2\xEE\xE3\xE0 (";                   // Тревога (
inline constexpr std::string_view TextWarningOpen =
    "\xCF\xF0\xE5\xE4\xF3\xEF\xF0\xE5\xE6\xE4\xE5\xED\xE8\xE5 (";                                      // Предупреждение (
inline constexpr std::string_view TextLineBreak = "00 - \xCE\xC1\xD0\xDB\xC2";                        // 00 - ОБРЫВ
inline constexpr std::string_view TextLineFault = "11 - \xCD\xC5\xC8\xD1\xCF\xD0";                    // 11 - НЕИСПР
inline constexpr std::string_view TextFlagInvalid = " \xCD.\xC0.";                                    //  Н.А.
inline constexpr std::string_view TextFlagBlocked = " \xC1\xCB\xCE\xCA";                              //  БЛОК
inline constexpr std::string_view TextFlagManual = " \xD0\xD3\xD7\xCD.";                              //  РУЧН.
inline constexpr std::string_view TextAckAllStatus =
    "\xCE\xE1\xF9\xE5\xE5 \xEA\xE2\xE8\xF2\xE8\xF0\xEE\xE2\xE0\xED\xE8\xE5 \xD2\xD1";  // Общее квитирование ТС
inline constexpr std::string_view TextAckAllAnalog =
    "\xCE\xE1\xF9\xE5\xE5 \xEA\xE2\xE8\xF2\xE8\xF0\xEE\xE2\xE0\xED\xE8\xE5 \xD2\xC8";  // Общее квитирование ТИ
