#pragma once
// Field accessors of the page-held blocks in device units. Getters read what
// the page controls hold and convert (tenths, trigger codes, level codes);
// setters convert back and write the controls. Numbers are 1-based as on the
// pages: inputs 1..11, channels 1..34, CAN rules 1..32, virtual inputs 1..15,
// flash functions 1..5. A number out of range makes a setter do nothing and a
// getter answer as for an empty control (empty name, 0, box index 0).
//
// The name setters are the ones whose change the General page follows: each
// emits ConfigStore::nameChanged(block, n, name) (block Input, Output, CanRule
// or VirtualInput; n 1-based), also when the text stays the same.
#include "config/config_store.h"

#include <QString>
#include <cstdint>

namespace vm {

// Inputs 1..11.
QString InputName(const ConfigStore& store, int n);
void SetInputName(ConfigStore& store, int n, const QString& name);
int InputMode(const ConfigStore& store, int n); // box index; -1 when none selected
void SetInputMode(ConfigStore& store, int n, int mode);

// Output channels 1..34.
QString OutputName(const ConfigStore& store, int ch);
void SetOutputName(ConfigStore& store, int ch, const QString& name);
std::uint8_t OutputTrigger(const ConfigStore& store, int ch); // TriggerCode
void SetOutputTrigger(ConfigStore& store, int ch, std::uint8_t code);
std::uint8_t OutputTriggerLevel(const ConfigStore& store, int ch); // 1 or 16
void SetOutputTriggerLevel(ConfigStore& store, int ch, std::uint8_t code);
int OutputDelay(const ConfigStore& store, int ch); // tenths of a second
void SetOutputDelay(ConfigStore& store, int ch, int tenths);
int OutputOnTime(const ConfigStore& store, int ch); // tenths; 0 continuous ("CONT.")
void SetOutputOnTime(ConfigStore& store, int ch, int tenths);

// Channels 1..18 only: 19..34 read 0 and setting them does nothing.
int OutputMaxCurrent(const ConfigStore& store, int ch); // tenths of an ampere
void SetOutputMaxCurrent(ConfigStore& store, int ch, int tenths);
int OutputPeakTime(const ConfigStore& store, int ch); // tenths of a second
void SetOutputPeakTime(ConfigStore& store, int ch, int tenths);
int OutputLowCurrent(const ConfigStore& store, int ch); // tenths of an ampere
void SetOutputLowCurrent(ConfigStore& store, int ch, int tenths);
int OutputLowCurrentTime(const ConfigStore& store, int ch); // tenths of a second
// Shows the value taken as one byte (capped at 255, not wrapped).
void SetOutputLowCurrentTime(ConfigStore& store, int ch, int tenths);

// CAN input rules 1..32: the name edit's text. The setter also writes the
// rule record's name field.
QString CanInputName(const ConfigStore& store, int n);
void SetCanInputName(ConfigStore& store, int n, const QString& name);

// Virtual inputs 1..15: the name edit's text; the setter also writes the record.
QString VirtualInputName(const ConfigStore& store, int n);
void SetVirtualInputName(ConfigStore& store, int n, const QString& name);

// Flash functions 1..5: the record's name field (at most 14 characters kept).
QString FlashName(const ConfigStore& store, int n);
void SetFlashName(ConfigStore& store, int n, const QString& name);

} // namespace vm
