# The two commands a fresh machine needs: `make demo` and `make test`.
BUILD_DIR ?= build
JOBS ?= 2
PACKAGES := g++ cmake ninja-build qt6-base-dev qt6-webengine-dev libsoci-dev libboost-dev \
	unixodbc-dev unixodbc odbc-mariadb libcurl4-openssl-dev curl mariadb-server python3 python3-pyftpdlib xvfb \
	fonts-wqy-zenhei

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

demo: build
	@echo "The demo (a local service with sample data and the client logged in to it) comes later."

clean:
	rm -rf $(BUILD_DIR)
