# The two commands a fresh machine needs: `make demo` and `make test`.
BUILD_DIR ?= build
JOBS ?= 2
PACKAGES := g++ cmake ninja-build qt6-base-dev qt6-webengine-dev libsoci-dev libboost-dev \
	unixodbc-dev unixodbc odbc-mariadb libcurl4-openssl-dev curl mariadb-server python3 python3-pyftpdlib xvfb \
	fonts-wqy-zenhei qt6-translations-l10n

.PHONY: deps build test demo clean

deps:
	@missing=""; for p in $(PACKAGES); do \
		dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q "install ok installed" || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
		echo "Installing:$$missing"; \
		SUDO=""; [ "$$(id -u)" -eq 0 ] || SUDO=sudo; \
		$$SUDO apt-get update -qq && DEBIAN_FRONTEND=noninteractive $$SUDO apt-get install -y -qq $$missing; \
	fi

build: deps
	cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build $(BUILD_DIR) -j $(JOBS)

test: build
	cd $(BUILD_DIR) && ctest -j $(JOBS) --output-on-failure

# The demo: the client in its own program folder, logged in to a local service with sample records
# (server/service); the service stops when the client ends. Only the programs are built for it.
DEMO_DIR ?= $(BUILD_DIR)/demo
DEMO_TARGETS := Vintrel $(if $(wildcard updater/main.cpp),update)

demo:
	@if [ -z "$$DISPLAY" ] && [ -z "$$WAYLAND_DISPLAY" ]; then \
		echo "make demo: there is no display (DISPLAY and WAYLAND_DISPLAY are empty), and the client is a desktop program."; \
		echo "Run it from a desktop session, or under a virtual X server:  xvfb-run -a make demo"; \
		exit 1; \
	fi
	@$(MAKE) --no-print-directory deps
	cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build $(BUILD_DIR) -j $(JOBS) --target $(DEMO_TARGETS)
	@set -e; demo=$$(readlink -m "$(DEMO_DIR)"); bin=$$(readlink -m "$(BUILD_DIR)/bin"); \
	mkdir -p "$$demo"; \
	for f in "$$bin"/*; do \
		case "$$f" in *.ini|*.INI) continue ;; esac; \
		[ -f "$$f" ] || continue; \
		[ "$$f" -ef "$$demo/$${f##*/}" ] || ln -f "$$f" "$$demo/" 2>/dev/null || cp -f "$$f" "$$demo/"; \
	done; \
	trap 'server/service stop "$$demo"' EXIT; trap 'exit 130' INT TERM HUP; \
	server/service start --owner $$$$ --client "$$demo/Vintrel" "$$demo"; \
	server/sample_data.py --demo-users | { read -r user password; read -r user2 password2; \
		echo; echo "  Log in as \"$$user\" with the password \"$$password\" (a second account: $$user2 / $$password2)."; \
		echo "  The client runs in $$demo; closing it stops the local service."; echo; }; \
	[ "$$(id -u)" -ne 0 ] || export QTWEBENGINE_DISABLE_SANDBOX=1; \
	ODBCINI="$$demo/odbc.ini" "$$demo/Vintrel"

clean:
	rm -rf $(BUILD_DIR)
