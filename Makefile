# Short names for the two everyday commands; the scripts do the work.
.PHONY: demo test
demo:
	@bash scripts/demo.sh
test:
	@bash scripts/test.sh
