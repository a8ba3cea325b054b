# The spill file under test and check: where it goes, what its failure says, how it is removed.
