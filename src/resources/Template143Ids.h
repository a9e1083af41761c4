#pragma once

#include <array>

// The line-mode memory switch window of a KRT-310 family printer in the "Other" emulation: one
// check box per setting, with a drop-down list or a pair of radios for its choice.
namespace corvane::resources::template143 {

inline constexpr int kTemplateId = 143;

inline constexpr int kHowToRecoverCheck = 27;
inline constexpr int kHowToRecoverFirstRadio = 53;
inline constexpr int kHowToRecoverSecondRadio = 54;
inline constexpr int kPaperWidthCheck = 29;
inline constexpr int kPaperWidthList = 30;
inline constexpr int kDataReceptionErrorCheck = 42;
inline constexpr int kDataReceptionErrorFirstRadio = 60;
inline constexpr int kDataReceptionErrorSecondRadio = 62;
inline constexpr int kZeroStyleCheck = 20;
inline constexpr int kZeroStyleFirstRadio = 51;
inline constexpr int kZeroStyleSecondRadio = 52;
inline constexpr int kInternationalCharactersCheck = 25;
inline constexpr int kInternationalCharactersList = 26;
inline constexpr int kCharacterTableCheck = 37;
inline constexpr int kCharacterTableList = 38;
inline constexpr int kRedAndBlackCheck = 16;
inline constexpr int kRedAndBlackList = 17;
inline constexpr int kCountrySpecificationCheck = 18;
inline constexpr int kCountrySpecificationFirstRadio = 47;
inline constexpr int kCountrySpecificationSecondRadio = 48;
inline constexpr int kNearEndSwitchCheck = 35;
inline constexpr int kNearEndSwitchList = 36;
inline constexpr int kFfCommandCheck = 24;
inline constexpr int kFfCommandFirstRadio = 49;
inline constexpr int kFfCommandSecondRadio = 50;
inline constexpr int kCrCommandCheck = 22;
inline constexpr int kCrCommandList = 33;
inline constexpr int kAutoCutCheck = 31;
inline constexpr int kAutoCutFirstRadio = 55;
inline constexpr int kAutoCutSecondRadio = 56;
inline constexpr int kAutomaticStatusCheck = 34;
inline constexpr int kAutomaticStatusFirstRadio = 57;
inline constexpr int kAutomaticStatusSecondRadio = 58;
inline constexpr int kEscRsCheck = 40;
inline constexpr int kEscRsFirstRadio = 59;
inline constexpr int kEscRsSecondRadio = 61;
inline constexpr int kSelectAll = 73;
inline constexpr int kPrintStatus = 69;
inline constexpr int kSet = 1003;
inline constexpr int kClose = 71;

inline constexpr std::array kControlIds = {kHowToRecoverCheck,
                                           kHowToRecoverFirstRadio,
                                           kHowToRecoverSecondRadio,
                                           kPaperWidthCheck,
                                           kPaperWidthList,
                                           kDataReceptionErrorCheck,
                                           kDataReceptionErrorFirstRadio,
                                           kDataReceptionErrorSecondRadio,
                                           kZeroStyleCheck,
                                           kZeroStyleFirstRadio,
                                           kZeroStyleSecondRadio,
                                           kInternationalCharactersCheck,
                                           kInternationalCharactersList,
                                           kCharacterTableCheck,
                                           kCharacterTableList,
                                           kRedAndBlackCheck,
                                           kRedAndBlackList,
                                           kCountrySpecificationCheck,
                                           kCountrySpecificationFirstRadio,
                                           kCountrySpecificationSecondRadio,
                                           kNearEndSwitchCheck,
                                           kNearEndSwitchList,
                                           kFfCommandCheck,
                                           kFfCommandFirstRadio,
                                           kFfCommandSecondRadio,
                                           kCrCommandCheck,
                                           kCrCommandList,
                                           kAutoCutCheck,
                                           kAutoCutFirstRadio,
                                           kAutoCutSecondRadio,
                                           kAutomaticStatusCheck,
                                           kAutomaticStatusFirstRadio,
                                           kAutomaticStatusSecondRadio,
                                           kEscRsCheck,
                                           kEscRsFirstRadio,
                                           kEscRsSecondRadio,
                                           kSelectAll,
                                           kPrintStatus,
                                           kSet,
                                           kClose};

}  // namespace corvane::resources::template143
