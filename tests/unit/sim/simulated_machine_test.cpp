// Building a simulated machine step by step, as the back-end tests do.

#include <gtest/gtest.h>

#include <stdexcept>

#include "simulated_machine.h"


namespace {

using sim::SimulatedMachine;

sim::DriveConfig DriveAt(std::uint8_t adapter, std::uint8_t target, char letter = 0) {
    sim::DriveConfig config;
    config.adapter = adapter;
    config.target = target;
    config.letter = letter;
    return config;
}

TEST(SimulatedMachine, FindsDrivesByAddressAndLetterAndRefusesClashes) {
    SimulatedMachine machine;
    sim::SimulatedDrive& first = machine.AddDrive(DriveAt(0, 1, 'e'));
    sim::SimulatedDrive& second = machine.AddDrive(DriveAt(0, 2));
    machine.AddHardDisk('c');

    EXPECT_EQ(machine.DriveAt(0, 1), &first);
    EXPECT_EQ(machine.DriveAt(0, 2), &second);
    EXPECT_EQ(machine.DriveAt(0, 3), nullptr);
    EXPECT_EQ(machine.DriveAtLetter('E'), &first);
    EXPECT_EQ(machine.DriveAtLetter('e'), &first);
    EXPECT_EQ(machine.DriveAtLetter(0), nullptr);
    EXPECT_TRUE(machine.IsHardDisk('C'));

    EXPECT_THROW(machine.AddDrive(DriveAt(0, 1)), std::invalid_argument);
    EXPECT_THROW(machine.AddDrive(DriveAt(0, 5, 'E')), std::invalid_argument);
    EXPECT_THROW(machine.AddDrive(DriveAt(0, 6, 'C')), std::invalid_argument);
    EXPECT_THROW(machine.AddDrive(DriveAt(0, 7, '1')), std::invalid_argument);
    EXPECT_THROW(machine.AddHardDisk('E'), std::invalid_argument);
    sim::DriveConfig badImage = DriveAt(0, 4);
    badImage.image.assign(100, 0);
    EXPECT_THROW(machine.AddDrive(badImage), std::invalid_argument);
    EXPECT_EQ(machine.drives().size(), 2u);
    EXPECT_EQ(machine.DriveAt(0, 4), nullptr);
}

TEST(SimulatedMachine, AddedAdaptersReplaceTheImpliedOnes) {
    SimulatedMachine machine;
    EXPECT_TRUE(machine.adapters().empty());
    machine.AddDrive(DriveAt(2, 0));
    EXPECT_EQ(machine.adapters().size(), 3u);

    sim::AdapterConfig invalid{1};
    invalid.inquiry = sim::AdapterConfig::Inquiry::Invalid;
    machine.AddAdapter(invalid);
    machine.AddAdapter(sim::AdapterConfig{0});
    ASSERT_EQ(machine.adapters().size(), 2u);
    EXPECT_EQ(machine.adapters()[0].id, 0);  // kept in id order
    EXPECT_EQ(machine.adapters()[1].inquiry, sim::AdapterConfig::Inquiry::Invalid);
    EXPECT_THROW(machine.AddAdapter(sim::AdapterConfig{1}), std::invalid_argument);
}

}  // namespace
